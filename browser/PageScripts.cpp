#include "browser/PageScripts.h"

#include <QUuid>

namespace pagescripts {

namespace {

const QString &token()
{
    static const QString made = QStringLiteral("brivo-") + QUuid::createUuid().toString(QUuid::Id128) + u':';
    return made;
}

const QString FrameTag = QStringLiteral("frame:");
const QString UserTag = QStringLiteral("user:");
const QString PostTag = QStringLiteral("post:");

} // namespace

Report parse(const QString &line, QUrl *address)
{
    if (!line.startsWith(token()))
        return Report::None;
    const QStringView rest = QStringView(line).mid(token().size());
    if (rest.startsWith(FrameTag)) {
        *address = QUrl(rest.mid(FrameTag.size()).toString());
        return Report::FrameComplete;
    }
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

QString reporterSource()
{
    static const QString source = QStringLiteral(R"JS((function () {
  'use strict';
  var tag = '%1';
  if (window !== window.top)
    window.addEventListener('load', function () { console.log(tag + '%2' + location.href); });
  function report(address, kind) {
    if (typeof address === 'string' && address) console.log(tag + (kind || '%3') + address);
  }
  function sendForm(form, submitter) {
    var own = submitter && submitter.hasAttribute('formmethod');
    var method = (own ? submitter.formMethod : form.method) || 'get';
    report(submitter && submitter.hasAttribute('formaction') ? submitter.formAction : form.action,
           method.toLowerCase() === 'post' ? '%4' : '%3');
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
                                      .arg(token(), FrameTag, UserTag, PostTag);
    return source;
}

QString noPeerConnectionsSource()
{
    // what the page changes later (the prototypes' methods) is taken at the start, before any script
    // of the page runs
    return QStringLiteral(R"JS((function () {
  'use strict';
  var define = Object.defineProperty, describe = Object.getOwnPropertyDescriptor, apply = Reflect.apply;
  var indexOf = String.prototype.indexOf, lower = String.prototype.toLowerCase, slice = String.prototype.slice;
  var join = Array.prototype.join;
  var names = ['RTCPeerConnection', 'webkitRTCPeerConnection', 'RTCDataChannel', 'RTCSessionDescription',
               'RTCIceCandidate'];
  function fromFile(w) {
    try { if (w.location.protocol === 'file:') return true; } catch (e) {}
    try {
      var a = w.location.ancestorOrigins;
      for (var i = 0; i < a.length; ++i) if (a[i] === 'file://') return true;
    } catch (e) {}
    try { var o = w.opener; if (o && o.location.protocol === 'file:') return true; } catch (e) {}
    return false;
  }
  if (!fromFile(window)) return;
  function isSealed(w) {
    var d = describe(w, names[0]);
    return !!d && !d.configurable && d.value === undefined;
  }
  // A window of this page's origin: its peer connections go, and what makes windows in it is watched.
  function seal(w) {
    try {
      if (!w || isSealed(w)) return;
    } catch (e) {
      return; // another origin: its documents carry this script themselves
    }
    for (var i = 0; i < names.length; ++i)
      try { define(w, names[i], {value: undefined, writable: false, configurable: false}); } catch (e) {}
    watch(w);
  }
  function sealFrames(w) {
    try { for (var i = 0, n = w.length; i < n; ++i) seal(w[i]); } catch (e) {}
  }
  function sealView(x) {
    try {
      if (x && x.window === x) seal(x);
      else if (x && x.defaultView) seal(x.defaultView);
    } catch (e) {}
  }
  function watch(w) {
    function method(proto, name, around) {
      var d = proto && describe(proto, name);
      if (!d || typeof d.value !== 'function') return;
      define(proto, name, {value: around(d.value), writable: d.writable, enumerable: d.enumerable,
                           configurable: d.configurable});
    }
    function accessor(proto, name, get, set) {
      var d = proto && describe(proto, name);
      if (!d) return;
      define(proto, name, {get: get && d.get ? get(d.get) : d.get, set: set && d.set ? set(d.set) : d.set,
                           enumerable: d.enumerable, configurable: d.configurable});
    }
    function thenSeal(f) { return function () { var r = apply(f, this, arguments); sealFrames(w); return r; }; }
    function viewOf(f) { return function () { var r = apply(f, this, arguments); sealView(r); return r; }; }
    // whatever puts elements into a document seals the windows they make before the page sees them
    var inserting = [[w.Node, ['appendChild', 'insertBefore', 'replaceChild']],
                     [w.Element, ['append', 'prepend', 'before', 'after', 'replaceWith', 'replaceChildren',
                                  'insertAdjacentElement', 'insertAdjacentHTML']],
                     [w.CharacterData, ['before', 'after', 'replaceWith']],
                     [w.DocumentType, ['before', 'after', 'replaceWith']],
                     [w.Document, ['append', 'prepend', 'replaceChildren', 'execCommand']],
                     [w.Range, ['insertNode', 'surroundContents']]];
    for (var i = 0; i < inserting.length; ++i)
      for (var j = 0; inserting[i][0] && j < inserting[i][1].length; ++j)
        method(inserting[i][0].prototype, inserting[i][1][j], thenSeal);
    accessor(w.Element && w.Element.prototype, 'innerHTML', null, thenSeal);
    accessor(w.Element && w.Element.prototype, 'outerHTML', null, thenSeal);
    accessor(w.ShadowRoot && w.ShadowRoot.prototype, 'innerHTML', null, thenSeal);
    accessor(w.Document && w.Document.prototype, 'body', null, thenSeal);
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
    // events the engine sends while an element is being put in (a new frame's load) come to this first
    var listen = w.EventTarget && describe(w.EventTarget.prototype, 'addEventListener');
    var mutations = {DOMNodeInserted: 1, DOMNodeInsertedIntoDocument: 1, DOMSubtreeModified: 1};
    var heard = {};
    function hear(type) {
      if (heard[type]) return;
      heard[type] = true;
      apply(listen.value, w, [type, function () { sealFrames(w); }, true]);
    }
    if (listen) {
      // a frame's load does not reach the window: it is heard at the document
      try { apply(listen.value, w.document, ['load', function () { sealFrames(w); }, true]); } catch (e) {}
      method(w.EventTarget.prototype, 'addEventListener', function (f) {
        return function (type) {
          if (mutations[type] === 1) hear(type);
          return apply(f, this, arguments);
        };
      });
    }
    // a custom element's reactions run while it is being put in
    var registry = w.CustomElementRegistry && w.CustomElementRegistry.prototype;
    method(registry, 'define', function (f) {
      return function (name, constructor) {
        var proto = constructor && constructor.prototype, kept = [];
        var callbacks = ['connectedCallback', 'disconnectedCallback', 'adoptedCallback', 'attributeChangedCallback'];
        for (var i = 0; proto && i < callbacks.length; ++i) {
          var d = describe(proto, callbacks[i]), cb = proto[callbacks[i]];
          if (typeof cb !== 'function') continue;
          kept.push([callbacks[i], d]);
          try {
            define(proto, callbacks[i], {value: (function (cb) {
              return function () { sealFrames(w); return apply(cb, this, arguments); };
            })(cb), configurable: true, writable: true});
          } catch (e) {}
        }
        try { return apply(f, this, arguments); } finally {
          for (var j = 0; j < kept.length; ++j) {
            try {
              if (kept[j][1]) define(proto, kept[j][0], kept[j][1]); else delete proto[kept[j][0]];
            } catch (e) {}
          }
        }
      };
    });
    // the page's own markup: new windows are sealed before its next script runs
    try {
      new w.MutationObserver(function () { sealFrames(w); })
        .observe(w.document, {childList: true, subtree: true});
    } catch (e) {}
  }
  seal(window);
})();)JS");
}

} // namespace pagescripts
