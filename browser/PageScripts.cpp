#include "browser/PageScripts.h"

#include <QUuid>

namespace pagescripts {

namespace {

QString madeToken()
{
    return QStringLiteral("brivo-") + QUuid::createUuid().toString(QUuid::Id128) + u':';
}

// The user's reports come from the program's own script world, which no script of a page reaches.
const QString &userToken()
{
    static const QString made = madeToken();
    return made;
}

// The frames' reports come from the page's world: a page may learn this token, and so only tell of a
// frame that did not complete; it never makes a report of the user's with it.
const QString &frameToken()
{
    static const QString made = madeToken();
    return made;
}

// The block of metadata that keeps a script out of every document of the network (http, https):
// the engine reads it when it puts the script in a document. reportsTheUser tells the same of an address.
const char OutsideTheNetwork[] = "// ==UserScript==\n"
                                 "// @exclude http://*\n"
                                 "// @exclude https://*\n"
                                 "// ==/UserScript==\n";

const QString UserTag = QStringLiteral("user:");
const QString PostTag = QStringLiteral("post:");

} // namespace

QWebEngineScript documentScript(const QString &name, quint32 world, const QString &source)
{
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(world);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(source);
    return script;
}

QList<QWebEngineScript> everyPagesScripts()
{
    return {
        documentScript(QStringLiteral("brivo-user"), QWebEngineScript::ApplicationWorld, userReporterSource()),
        documentScript(QStringLiteral("brivo-local-no-peers"), QWebEngineScript::MainWorld, noPeerConnectionsSource())};
}

Report parse(const QString &line, QUrl *address)
{
    if (line.startsWith(frameToken())) {
        *address = QUrl(line.mid(frameToken().size()));
        return Report::FrameComplete;
    }
    if (!line.startsWith(userToken()))
        return Report::None;
    const QStringView rest = QStringView(line).mid(userToken().size());
    if (rest.startsWith(UserTag)) {
        *address = QUrl(rest.mid(UserTag.size()).toString());
        return Report::UserActivated;
    }
    if (rest.startsWith(PostTag)) {
        *address = QUrl(rest.mid(PostTag.size()).toString());
        return Report::UserPosted;
    }
    return Report::None;
}

QString frameReporterSource()
{
    // console.log is taken before any script of the page runs, and the listener is the window's first:
    // pages that silence their own logging, or stop the load event from reaching later listeners,
    // still have their frames told of
    static const QString source = QStringLiteral(R"JS((function () {
  'use strict';
  if (window === window.top) return;
  var log = console.log, apply = Reflect.apply, tag = '%1';
  window.addEventListener('load', function () { apply(log, console, [tag + location.href]); }, true);
})();)JS")
                                      .arg(frameToken());
    return source;
}

QString userReporterSource()
{
    // Pages of the network are not given this script: the engine reads the block at the top. A script
    // world of its own costs every document that has it; there, the program goes by the user's input
    // instead (the one thing that counts there is a link to another program).
    static const QString source = QString(OutsideTheNetwork) + QStringLiteral(R"JS((function () {
  'use strict';
  var tag = '%1';
  function report(address, kind) {
    if (typeof address === 'string' && address) console.log(tag + (kind || '%2') + address);
  }
  function sendForm(form, submitter) {
    var own = submitter && submitter.hasAttribute('formmethod');
    var method = (own ? submitter.formMethod : form.method) || 'get';
    report(submitter && submitter.hasAttribute('formaction') ? submitter.formAction : form.action,
           method.toLowerCase() === 'post' ? '%3' : '%2');
  }
  function activated(event) {
    if (!event.isTrusted) return;
    var path = event.composedPath();
    for (var i = 0; i < path.length; ++i) {
      var n = path[i];
      if (n instanceof HTMLAnchorElement || n instanceof HTMLAreaElement) {
        report(n.href);
        return;
      }
      if (n instanceof SVGAElement) {
        try { report(new URL(n.href.animVal, n.baseURI).href); } catch (e) {}
        return;
      }
      if ((n instanceof HTMLButtonElement || n instanceof HTMLInputElement) && n.form &&
          (n.type === 'submit' || n.type === 'image')) {
        sendForm(n.form, n);
        return;
      }
    }
  }
  window.addEventListener('click', function (e) { if (e.button === 0) activated(e); }, true);
  window.addEventListener('auxclick', function (e) { if (e.button === 1) activated(e); }, true);
  window.addEventListener('keydown', function (e) {
    if (!e.isTrusted || e.key !== 'Enter') return;
    var target = e.composedPath()[0];
    if (target instanceof HTMLInputElement && target.form) sendForm(target.form, null);
  }, true);
})();)JS")
                                                                   .arg(userToken(), UserTag, PostTag);
    return source;
}

bool reportsTheUser(const QUrl &document)
{
    const QString scheme = document.scheme();
    return scheme != u"http" && scheme != u"https";
}

QString noPeerConnectionsSource()
{
    // what the page can change later (the prototypes' methods and accessors, the window's replaceable
    // attributes) is taken at the start, before any script of the page runs.
    // The engine reads the block at the top and puts the script in no document of the network: none
    // of those is a local page's (the request interceptor keeps the network out of local pages, and a
    // window of the network that one opens is of another origin, its opener unreadable), so there the
    // script would only find that and end, and every page of the network would still pay for it.
    static const QString source =
        QString(OutsideTheNetwork) + QStringLiteral(R"JS((function () {
  'use strict';
  var hookName = '%1';
  var define = Object.defineProperty, describe = Object.getOwnPropertyDescriptor, apply = Reflect.apply;
  var indexOf = String.prototype.indexOf, lower = String.prototype.toLowerCase, slice = String.prototype.slice;
  var join = Array.prototype.join;
  function getter(proto, name) { return describe(proto, name).get; }
  var frameCount = (describe(window, 'length') || describe(Window.prototype, 'length')).get;
  var defaultView = getter(Document.prototype, 'defaultView');
  var nodeType = getter(Node.prototype, 'nodeType'), firstChild = getter(Node.prototype, 'firstChild');
  var lastChild = getter(Node.prototype, 'lastChild'), previousSibling = getter(Node.prototype, 'previousSibling');
  var isConnected = getter(Node.prototype, 'isConnected'), ownerDocument = getter(Node.prototype, 'ownerDocument');
  var appendChild = Node.prototype.appendChild, insertBefore = Node.prototype.insertBefore;
  var removeChild = Node.prototype.removeChild;
  var localName = getter(Element.prototype, 'localName'), namespaceURI = getter(Element.prototype, 'namespaceURI');
  var openShadow = getter(Element.prototype, 'shadowRoot');
  var hasAttribute = Element.prototype.hasAttribute, getAttribute = Element.prototype.getAttribute;
  var setAttribute = Element.prototype.setAttribute, removeAttribute = Element.prototype.removeAttribute;
  var head = getter(Document.prototype, 'head'), documentElement = getter(Document.prototype, 'documentElement');
  var createElementNS = Document.prototype.createElementNS, createTextNode = Document.prototype.createTextNode;
  var addListener = EventTarget.prototype.addEventListener;
  var Observer = MutationObserver, observe = MutationObserver.prototype.observe;
  var createPolicy = TrustedTypePolicyFactory.prototype.createPolicy;
  var watched = new WeakSet(), watchedHas = WeakSet.prototype.has, watchedAdd = WeakSet.prototype.add;
  var closedShadows = new WeakMap(), shadowGet = WeakMap.prototype.get, shadowSet = WeakMap.prototype.set;
  var xhtml = 'http://www.w3.org/1999/xhtml';
  var names = ['RTCPeerConnection', 'webkitRTCPeerConnection', 'RTCDataChannel', 'RTCSessionDescription',
               'RTCIceCandidate'];
  // A window of a file's origin: a file's document, and the documents such a document makes in place
  // of one (an empty document, a blob: one) or frames; a window it opened.
  function fromFile(w) {
    try { if (w.location.protocol === 'file:' || w.origin === 'file://') return true; } catch (e) {}
    try {
      var a = w.location.ancestorOrigins;
      for (var i = 0; i < a.length; ++i) if (a[i] === 'file://') return true;
    } catch (e) {}
    try {
      var o = w.opener;
      if (o && (o.location.protocol === 'file:' || o.origin === 'file://')) return true;
    } catch (e) {}
    return false;
  }
  if (!fromFile(window)) return;
  function isSealed(w) {
    var d = describe(w, names[0]);
    return !!d && !d.configurable && d.value === undefined;
  }
  // Lists here are objects without a prototype: no setter the page puts on Array.prototype sees them.
  function list() { var l = {__proto__: null}; l.length = 0; return l; }
  function add(l, x) { l[l.length] = x; ++l.length; }

  // A javascript: address runs its script in the window it is sent to and then puts what the script
  // gives back in place of the window's document, under a global object of its own that no script of
  // this program reaches before the page's do. In the windows of a local page the address's script
  // still runs, but what it gives back never makes a document: the engine passes every such script
  // through the window's default policy of trusted types first, and that ends it with "void 0", so the
  // script is a syntax error or gives nothing back (a comment, string or block it leaves open takes
  // the ending into an error). Every other use of the policy keeps what it is given.
  var policy = {
    createHTML: function (s) { return s; },
    createScriptURL: function (s) { return s; },
    createScript: function (s, type, sink) { return sink === 'Location href' ? s + '\n;void 0' : s; }
  };
  // The engine asks the policy only in a document that requires trusted types. A requirement a meta
  // element gives holds after the element is gone, so none is left in the page. The engine takes it
  // from an HTML document's head only: one without a head yet is given it when the parser has made its
  // root (before any script of the page runs: the document is watched); frames made in it inherit it.
  function requireTrustedTypes(d) {
    try {
      var h = apply(head, d, []), root = apply(documentElement, d, []), made = null;
      if (!root) return false;
      if (!h && (apply(localName, root, []) !== 'html' || apply(namespaceURI, root, []) !== xhtml))
        return true; // an image's or another XML document: there is no head to give
      if (!h) {
        made = h = apply(createElementNS, d, [xhtml, 'head']);
        apply(insertBefore, root, [h, apply(firstChild, root, [])]);
      }
      var meta = apply(createElementNS, d, [xhtml, 'meta']);
      apply(setAttribute, meta, ['http-equiv', 'Content-Security-Policy']);
      apply(setAttribute, meta, ['content', "require-trusted-types-for 'script'"]);
      apply(appendChild, h, [meta]);
      apply(removeChild, h, [meta]);
      if (made) apply(removeChild, root, [made]);
      return true;
    } catch (e) {
      return false;
    }
  }

  // A window of this page's origin: its peer connections go, and what makes windows in it is watched.
  // A window keeps its global object for the document that replaces its first, empty one: that
  // document is watched too, by the script that sealed the window (through the hook it leaves there;
  // this script's copy in that document takes what the page may have changed since).
  function seal(w) {
    try {
      if (!w) return;
      if (!isSealed(w)) {
        for (var i = 0; i < names.length; ++i)
          try { define(w, names[i], {value: undefined, writable: false, configurable: false}); } catch (e) {}
        try { apply(createPolicy, w.trustedTypes, ['default', policy]); } catch (e) {}
        watch(w);
        try { define(w, hookName, {value: function () { return watchDocument(w); }}); } catch (e) {}
      }
      watchDocument(w);
    } catch (e) {
      // another origin: its documents carry this script themselves
    }
  }
  function sealFrames(w) {
    try { for (var i = 0, n = apply(frameCount, w, []); i < n; ++i) seal(w[i]); } catch (e) {}
  }
  function sealView(x) {
    try {
      if (x && x.window === x) seal(x);
      else if (x) seal(apply(defaultView, x, []));
    } catch (e) {}
  }
  // whether the window's document is watched
  function watchDocument(w) {
    var d = w.document;
    if (apply(watchedHas, watched, [d])) return true;
    // the page's own markup: new windows are sealed before its next script runs, and a document whose
    // head the parser has not made yet requires trusted types as soon as it has
    var typed = requireTrustedTypes(d);
    try {
      apply(observe, new Observer(function () {
        if (!typed) typed = requireTrustedTypes(d);
        sealFrames(w);
      }), [d, {childList: true, subtree: true}]);
    } catch (e) {
      return false;
    }
    // a frame's load does not reach the window: it is heard at the document
    try { apply(addListener, d, ['load', function () { sealFrames(w); }, true]); } catch (e) {}
    apply(watchedAdd, watched, [d]);
    return true;
  }

  // Frames and scripts put in by one call: a frame's window exists as soon as the frame is in, and a
  // script put in with it would run before the call returns. Such scripts are held (given a type no
  // engine runs) until the new windows are sealed, then given their own type back and run as the
  // engine runs a script whose text changes. Shadow trees count, closed ones too.
  function shadowOf(element) {
    return apply(openShadow, element, []) || apply(shadowGet, closedShadows, [element]) || null;
  }
  var frameNames = {__proto__: null, iframe: 1, frame: 1, object: 1, embed: 1};
  // Counts the frames in node's tree, shadow trees included, and lists its scripts of their own text
  // in the order they run.
  function gather(node, found) {
    var stack = list();
    add(stack, node);
    while (stack.length) {
      var n = stack[--stack.length], type = apply(nodeType, n, []);
      if (type === 1) {
        var name = apply(localName, n, []);
        if (frameNames[name] === 1) ++found.frames;
        else if (name === 'script' && !apply(hasAttribute, n, ['src']) && !apply(hasAttribute, n, ['href']) &&
                 !apply(hasAttribute, n, ['xlink:href']))
          add(found.scripts, n);
      } else if (type !== 11) {
        continue;
      }
      for (var c = apply(lastChild, n, []); c; c = apply(previousSibling, c, [])) add(stack, c);
      var root = type === 1 ? shadowOf(n) : null;
      if (root) add(stack, root);
    }
  }
  function holdScripts(args, which) {
    var found = {__proto__: null, frames: 0, scripts: list()};
    for (var i = which < 0 ? 0 : which; i < (which < 0 ? args.length : which + 1); ++i)
      try { gather(args[i], found); } catch (e) {} // not a node
    if (!found.frames || !found.scripts.length) return null;
    var held = list();
    for (var j = 0; j < found.scripts.length; ++j) {
      var s = found.scripts[j];
      add(held, {__proto__: null, script: s,
                 type: apply(hasAttribute, s, ['type']) ? apply(getAttribute, s, ['type']) : null});
      apply(setAttribute, s, ['type', 'text/x-held']);
    }
    return held;
  }
  function release(held) {
    for (var i = 0; i < held.length; ++i) {
      var s = held[i].script, type = held[i].type;
      try {
        if (type === null) apply(removeAttribute, s, ['type']);
        else apply(setAttribute, s, ['type', type]);
        if (!apply(isConnected, s, [])) continue;
        var t = apply(createTextNode, apply(ownerDocument, s, []), ['']);
        apply(appendChild, s, [t]);
        apply(removeChild, s, [t]);
      } catch (e) {}
    }
  }

  // The window's own prototypes: whatever makes windows seals them before the page sees them.
  function watch(w) {
    function method(proto, name, around, which) {
      var d = proto && describe(proto, name);
      if (!d || typeof d.value !== 'function') return;
      define(proto, name, {value: around(d.value, which), writable: d.writable, enumerable: d.enumerable,
                           configurable: d.configurable});
    }
    function accessor(proto, name, get, set) {
      var d = proto && describe(proto, name);
      if (!d) return;
      define(proto, name, {get: get && d.get ? get(d.get) : d.get, set: set && d.set ? set(d.set) : d.set,
                           enumerable: d.enumerable, configurable: d.configurable});
    }
    // which: the argument put in (-1: all of them), or undefined when none is a node
    function thenSeal(f, which) {
      return function () {
        var held = which === undefined ? null : holdScripts(arguments, which);
        try {
          return apply(f, this, arguments);
        } finally {
          sealFrames(w);
          if (held) release(held);
        }
      };
    }
    function markupSetter(f) { return thenSeal(f); }
    function nodeSetter(f) { return thenSeal(f, 0); }
    function viewOf(f) { return function () { var r = apply(f, this, arguments); sealView(r); return r; }; }
    var childNode = [['before', -1], ['after', -1], ['replaceWith', -1]];
    var parentNode = [['append', -1], ['prepend', -1], ['replaceChildren', -1]];
    var inserting = [[w.Node, [['appendChild', 0], ['insertBefore', 0], ['replaceChild', 0]]],
                     [w.Element, childNode], [w.Element, parentNode],
                     [w.Element, [['insertAdjacentElement', 1], ['insertAdjacentHTML', undefined]]],
                     [w.CharacterData, childNode], [w.DocumentType, childNode], [w.DocumentFragment, parentNode],
                     [w.Document, parentNode], [w.Document, [['execCommand', undefined]]],
                     [w.Range, [['insertNode', 0], ['surroundContents', 0]]]];
    for (var i = 0; i < inserting.length; ++i)
      for (var j = 0; inserting[i][0] && j < inserting[i][1].length; ++j)
        method(inserting[i][0].prototype, inserting[i][1][j][0], thenSeal, inserting[i][1][j][1]);
    accessor(w.Element && w.Element.prototype, 'innerHTML', null, markupSetter);
    accessor(w.Element && w.Element.prototype, 'outerHTML', null, markupSetter);
    accessor(w.ShadowRoot && w.ShadowRoot.prototype, 'innerHTML', null, markupSetter);
    accessor(w.Document && w.Document.prototype, 'body', null, nodeSetter);
    method(w.Element && w.Element.prototype, 'attachShadow', function (f) {
      return function () {
        var root = apply(f, this, arguments);
        apply(shadowSet, closedShadows, [this, root]);
        return root;
      };
    });
    var frames = [w.HTMLIFrameElement, w.HTMLFrameElement, w.HTMLObjectElement, w.HTMLEmbedElement];
    for (var k = 0; k < frames.length; ++k) {
      if (!frames[k]) continue;
      accessor(frames[k].prototype, 'contentWindow', viewOf, null);
      accessor(frames[k].prototype, 'contentDocument', viewOf, null);
      method(frames[k].prototype, 'getSVGDocument', viewOf);
    }
    method(w, 'open', viewOf);
    // written markup runs its scripts as it is written: the windows made before each script are sealed first
    function writer(f) {
      return function () {
        var html = apply(join, arguments, ['']), lowered = apply(lower, html, []), from = 0, r;
        for (;;) {
          var at = apply(indexOf, lowered, ['<script', from + 1]);
          if (at < 0) break;
          r = apply(f, this, [apply(slice, html, [from, at])]);
          sealFrames(w);
          from = at;
        }
        r = apply(f, this, [apply(slice, html, [from])]);
        sealFrames(w);
        return r;
      };
    }
    method(w.Document && w.Document.prototype, 'write', writer);
    method(w.Document && w.Document.prototype, 'writeln', writer);
    // events the engine sends while an element is being put in come to this first
    var mutations = {__proto__: null, DOMNodeInserted: 1, DOMNodeInsertedIntoDocument: 1, DOMSubtreeModified: 1};
    var heard = {__proto__: null};
    method(w.EventTarget && w.EventTarget.prototype, 'addEventListener', function (f) {
      return function (type) {
        if (mutations[type] === 1 && !heard[type]) {
          heard[type] = true;
          apply(addListener, w, [type, function () { sealFrames(w); }, true]);
        }
        return apply(f, this, arguments);
      };
    });
    // a custom element's reactions run while it is being put in
    var registry = w.CustomElementRegistry && w.CustomElementRegistry.prototype;
    method(registry, 'define', function (f) {
      return function (name, constructor) {
        var proto = constructor && constructor.prototype, kept = list();
        var callbacks = ['connectedCallback', 'disconnectedCallback', 'adoptedCallback', 'attributeChangedCallback'];
        for (var i = 0; proto && i < callbacks.length; ++i) {
          var d = describe(proto, callbacks[i]), cb = proto[callbacks[i]];
          if (typeof cb !== 'function') continue;
          add(kept, {__proto__: null, name: callbacks[i], was: d});
          try {
            define(proto, callbacks[i], {value: (function (cb) {
              return function () { sealFrames(w); return apply(cb, this, arguments); };
            })(cb), configurable: true, writable: true});
          } catch (e) {}
        }
        try { return apply(f, this, arguments); } finally {
          for (var j = 0; j < kept.length; ++j) {
            try {
              if (kept[j].was) define(proto, kept[j].name, kept[j].was); else delete proto[kept[j].name];
            } catch (e) {}
          }
        }
      };
    });
  }

  // (the script that sealed the window may be gone with its own document: then this copy watches)
  var hook = describe(window, hookName), watching = false;
  if (isSealed(window) && hook && !hook.configurable && typeof hook.value === 'function')
    try { watching = hook.value() === true; } catch (e) {}
  if (!watching) seal(window);
})();)JS")
                                         .arg(QStringLiteral("brivo-") + QUuid::createUuid().toString(QUuid::Id128));
    return source;
}

} // namespace pagescripts
