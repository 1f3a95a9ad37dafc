#include "ui/help/HelpText.h"

namespace gleanwork {

const char* HelpText() {
    return R"html(
<h2>Gleanwork</h2>
<p>An <b>agent</b> reads one text source &ndash; a web page given by an
<code>http://</code> or <code>https://</code> address, or a local file &ndash; runs its script over the text
and writes what the script prints to its output file. Agents are listed on the
<b>Agents</b> page. <b>New Agent...</b> and <b>Edit Agent...</b> open the agent
editor, <b>Duplicate</b> copies the selected agent, <b>Run Agent...</b> runs it in
an Agent Output window that shows every step. Changes reach the disk when you
press <b>OK</b> or <b>Apply</b>; <b>Cancel</b> writes nothing.</p>

<h3>How a script runs</h3>
<p>A script is a list of lines, one command per line: a keyword, a space and
an optional argument. Keywords may be written in any letter case. The script
works with:</p>
<ul>
<li>a <b>cursor</b> in the source text, starting at its beginning;</li>
<li>a <b>data buffer</b> that <code>GET</code>, <code>GETUNTIL</code> and
<code>GETTOKEN</code> add to;</li>
<li>a <b>status</b>, OK or FAILED, set by the tests and searches and read by
the jumps;</li>
<li><b>variables</b>, set by <code>SAVETO</code> and used as
<code>{name}</code> inside any argument.</li>
</ul>

<h3>Arguments</h3>
<p>An argument in double quotes keeps its spaces: <code>FIND "&lt;td&gt; "</code>.
Without quotes, leading and trailing spaces are dropped. Inside an argument:</p>
<ul>
<li><code>{name}</code> is replaced by the value of the variable
<i>name</i> (nothing when it was never saved);</li>
<li><code>\n</code>, <code>\r</code>, <code>\t</code> give a line feed, a
carriage return and a tab; <code>\x41</code> gives the character with that
hexadecimal code; a backslash before any other character gives that character,
so <code>\"</code>, <code>\\</code> and <code>\{</code> stand for
themselves.</li>
</ul>

<h3>Commands</h3>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>Command</th><th>What it does</th><th>Status</th></tr>
<tr><td><code>FIND "text"</code></td><td>Moves the cursor just past the next occurrence of the text.</td><td>OK if found</td></tr>
<tr><td><code>SKIPUNTIL "text"</code></td><td>Moves the cursor to the start of the next occurrence of the text.</td><td>OK if found</td></tr>
<tr><td><code>SKIP number</code></td><td>Moves the cursor forward that many characters (not past the end).</td><td>OK if it moved</td></tr>
<tr><td><code>SKIPANY "characters"</code></td><td>Moves past every character that is one of the given characters.</td><td>OK if it moved</td></tr>
<tr><td><code>SKIPTOKEN "delimiters"</code></td><td>Moves past delimiters, then past the token that follows them.</td><td>OK if it moved and is not at the end</td></tr>
<tr><td><code>REWIND</code>, <code>REWIND number</code></td><td>Back to the start of the text, or that many characters back.</td><td>OK</td></tr>
<tr><td><code>GET number</code></td><td>Adds that many characters at the cursor to the data buffer.</td><td>FAILED at the end of the text</td></tr>
<tr><td><code>GETUNTIL "text"</code></td><td>Adds everything up to the next occurrence of the text to the data buffer; the cursor stops at the occurrence.</td><td>OK if found</td></tr>
<tr><td><code>GETTOKEN "delimiters"</code></td><td>Skips delimiters, then adds the token up to the next delimiter to the data buffer.</td><td>OK if it moved and is not at the end</td></tr>
<tr><td><code>CLEAR</code></td><td>Empties the data buffer.</td><td>unchanged</td></tr>
<tr><td><code>MATCH "text"</code></td><td>Tests whether the text at the cursor begins with the given text; the cursor stays.</td><td>OK if it does</td></tr>
<tr><td><code>MATCHANY "characters"</code></td><td>Tests whether the character after the cursor's one is one of the given characters.</td><td>OK if it is</td></tr>
<tr><td><code>PRINT</code></td><td>Writes the data buffer to the output and empties it.</td><td>unchanged</td></tr>
<tr><td><code>PRINT "text"</code></td><td>Writes the text to the output.</td><td>unchanged</td></tr>
<tr><td><code>PRINTLN "text"</code></td><td>Writes the text and a line end to the output.</td><td>unchanged</td></tr>
<tr><td><code>SAVETO name</code></td><td>Saves the data buffer in the variable <i>name</i> and empties the buffer.</td><td>unchanged</td></tr>
<tr><td><code>BOOKMARK name</code></td><td>Marks a place in the script that jumps go to.</td><td>unchanged</td></tr>
<tr><td><code>JUMPIFOK name</code></td><td>Goes on after the bookmark <i>name</i> when the status is OK.</td><td>unchanged</td></tr>
<tr><td><code>JUMPIFFAILED name</code></td><td>Goes on after the bookmark <i>name</i> when the status is FAILED.</td><td>unchanged</td></tr>
<tr><td><code>INSERTDATA</code></td><td>Writes the agent's insert statement, with <code>{name}</code> replaced by variable values, to the run log; no database is contacted.</td><td>OK</td></tr>
<tr><td><code>UPDATEDATA</code></td><td>The same with the agent's update statement.</td><td>OK</td></tr>
</table>
<p>Jumps are never taken when the cursor is at the end of the text, so a loop
that reads the text piece by piece ends there. Write bookmark names without
quotes. A loop that never ends stops when you close its Agent Output
window.</p>

<h3>The run log</h3>
<p>The Agent Output window lists every step: <code># </code> and each command
as written, <code>&lt;&lt; </code> and the data buffer after a GET,
<code>&gt;&gt; </code> and what was printed, <code>{name} = </code> and a saved
value, <code>[SQL]: </code> and a database statement, and notes such as
<code>[Not found]</code>, <code>[No match]</code>, <code>[End of file]</code>,
<code>[Jumped to: name]</code> and <code>[Unknown command!]</code>. Errors begin
with <code>ERROR: </code>. Every run ends with <code>Agent completed.</code></p>

<h3>Examples</h3>
<p>Every link of a page, one per line:</p>
<pre>BOOKMARK next
FIND "href=\""
JUMPIFFAILED done
GETUNTIL "\""
PRINT
PRINTLN
JUMPIFOK next
BOOKMARK done</pre>
<p>A value saved and used later:</p>
<pre>FIND "&lt;title&gt;"
GETUNTIL "&lt;/title&gt;"
SAVETO title
PRINTLN "Title: {title}"</pre>
)html";
}

}  // namespace gleanwork
