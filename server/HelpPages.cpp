#include "server/HelpPages.h"

#include "Version.h"

namespace vornik::server {
namespace {

std::string page(std::string_view title, std::string_view body)
{
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    html += title;
    html += "</title>\n</head>\n<body>\n";
    html += body;
    html += "<hr>\n<p><a href=\"/\">Vornik sharing service</a> &middot; <a href=\"/help/screen-recording\">"
            "Screen capture help</a> &middot; <a href=\"/help/editor\">Editor help</a> &middot; vornik-server " VORNIK_VERSION
            "</p>\n</body>\n</html>\n";
    return html;
}

const char *const homeBody = R"(<h1>Vornik sharing service</h1>
<p>This is <strong>vornik-server</strong> version )" VORNIK_VERSION R"(, the sharing service for Vornik,
a screenshot tool for the Linux desktop. Vornik uploads the screenshots you share here; the server
keeps them per user, lists and deletes them on request, and shows each one at its own address, with
the owner's banner on top.</p>
<h2>Pointing Vornik at this server</h2>
<p>Give Vornik this server's address, the one this page was opened at, in either of two ways:</p>
<ul>
<li>the setting <code>serviceurl</code> in <code>~/.config/Vornik/Vornik.conf</code>, under
<code>[General]</code>, such as <code>serviceurl=https://localhost:8443/</code>;</li>
<li>or the environment variable <code>VORNIK_SERVICE_URL</code> when starting Vornik.</li>
</ul>
<p>Vornik always checks the server's certificate. When this server uses a certificate of its own
(self-signed, or from a private authority), name that certificate file in the setting
<code>servicecafile</code> or the variable <code>VORNIK_CA_FILE</code>.</p>
<p>Without either setting Vornik uses <code>https://localhost:8443/</code>, the server that
<code>scripts/run.sh</code> starts.</p>
<h2>Help</h2>
<ul>
<li><a href="/help/screen-recording">Letting Vornik capture the screen</a></li>
<li><a href="/help/editor">The editor</a></li>
</ul>
)";

const char *const screenRecordingBody = R"(<h1>Letting Vornik capture the screen</h1>
<p>Vornik takes a picture of every display when a capture starts, then lets you select the part to
keep. How it reads the screen depends on the session:</p>
<ul>
<li><strong>X11 sessions</strong>: Vornik reads the screen directly; nothing needs to be allowed.</li>
<li><strong>Wayland sessions</strong>: Vornik asks the desktop's screenshot portal
(<code>xdg-desktop-portal</code> with the portal of your desktop, such as
<code>xdg-desktop-portal-gnome</code> or <code>xdg-desktop-portal-kde</code>). The desktop may ask
you once whether Vornik may take screenshots; answer yes.</li>
</ul>
<p>To use a particular way of reading the screen, start Vornik with
<code>VORNIK_CAPTURE_BACKEND=portal</code> (the portal) or <code>VORNIK_CAPTURE_BACKEND=qscreen</code>
(the toolkit's screen grab).</p>
<h2>Global hot keys</h2>
<p>Where the desktop does not let programs take global keys (Wayland), bind the command
<code>vornik --capture</code> to a key in your desktop's keyboard shortcut settings.</p>
<h2 id="bottom">If captures still fail</h2>
<ul>
<li>Check that <code>xdg-desktop-portal</code> and your desktop's portal back end are installed and
running in your session.</li>
<li>Look in your desktop's privacy settings for screenshot or screen-sharing permissions, and allow
Vornik there.</li>
<li>Start Vornik from a terminal: a capture that cannot read the screen says why, in one line.</li>
</ul>
)";

const char *const editorBody = R"(<h1>The Vornik editor</h1>
<p>The editor opens with the part of the screen you selected, so that you can mark it up before
saving, uploading or copying it. The buttons of its tool bar, from left to right:</p>
<ol>
<li><strong>Save</strong> the picture to a file of your choice.</li>
<li><strong>Upload</strong> the picture to the sharing service and copy its link.</li>
<li><strong>Copy</strong> the picture to the clipboard.</li>
<li><strong>Pointer</strong>: select figures and move them; Delete or Backspace removes the selected
figure.</li>
<li><strong>Rectangle</strong>, <strong>ellipse</strong>, <strong>line</strong> and
<strong>arrow</strong>: drag on the picture to draw one. A click without a drag draws nothing.</li>
<li><strong>Filled rectangle</strong> and <strong>filled ellipse</strong>: drawn in the fill
color.</li>
<li><strong>Text</strong>: choose the tool, type the text in the box that opens under the tool
bar, then click on the picture where the text goes. While the text tool is chosen, the letter keys
type text and never switch tools. Dragging right or down from where you click makes the text
larger, left or up smaller; <strong>larger text</strong> and <strong>smaller text</strong> do the
same for the latest text. Double-click a text you placed to change its words.</li>
<li><strong>Line width</strong>, <strong>line color</strong> and <strong>fill color</strong> for the
figures you draw next; the tool you were drawing with stays chosen. With a figure selected by the
pointer, a color you choose also recolors that figure (Ctrl+Z takes it back).</li>
<li><strong>Help</strong> opens this page.</li>
<li><strong>Pixelate</strong> and <strong>blur</strong>: drag over what others should not read.</li>
<li><strong>Highlighter</strong>: drag over text to mark it in a see-through color.</li>
<li><strong>Counter</strong> (numbered marker): each click places the next number, 1, 2, 3&hellip;</li>
<li><strong>Pen</strong>: draw freehand with the line color and width.</li>
</ol>
<h2 id="keys">Keys and zoom</h2>
<p>Each tool has a letter key, shown in its tool tip (R rectangle, E ellipse, T text, N counter
and so on); letters go to the text instead whenever you are typing. Ctrl+Z undoes and
Ctrl+Shift+Z redoes. <strong>Ctrl+plus</strong> and <strong>Ctrl+minus</strong> zoom in and out,
as does the mouse wheel with Ctrl held; <strong>Ctrl+0</strong> fits the picture to the window.</p>
<h2 id="hiding">Hiding passwords, names and numbers</h2>
<p>The safest way to hide something is a <strong>filled rectangle</strong> over it: nothing under
it is kept. Pixelate and blur keep the look of what they cover, so they also keep a little of it.
Vornik's pixelate and blur add randomness and coarse steps so that text cannot be recovered by
trying out guesses, and nothing of the original pixels is saved, uploaded or copied, but when it
matters, use the filled rectangle.</p>
<p>Figures that reach outside the picture widen what is saved, uploaded or copied so that they are
kept whole.</p>
<h2 id="bottom">When an action does not succeed</h2>
<p>A notification says what went wrong: look there first. Uploads need the sharing service to be
reachable; see the <a href="/">service's home page</a> for how Vornik finds it.</p>
)";

} // namespace

std::optional<std::string> helpPage(std::string_view path)
{
    if (path == "/")
        return page("Vornik sharing service", homeBody);
    if (path == "/help/screen-recording")
        return page("Letting Vornik capture the screen", screenRecordingBody);
    if (path == "/help/editor")
        return page("The Vornik editor", editorBody);
    return std::nullopt;
}

} // namespace vornik::server
