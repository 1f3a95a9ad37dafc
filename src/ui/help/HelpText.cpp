#include "ui/help/HelpText.h"

#include <QStringList>
#include <string>
#include <vector>

#include "engine/CommandTable.h"

namespace gleanwork {

namespace {

// The help page up to the rows of the command reference.
constexpr const char* kBeforeCommands = R"html(
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
)html";

// The rest of the page after those rows.
constexpr const char* kAfterCommands = R"html(</table>
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

// One row of the command reference: its forms, its meaning and its status.
QString CommandRow(const CommandInfo& command) {
    std::vector<std::string> forms = TemplatesOf(command);
    if (forms.empty()) {
        forms.push_back(FullForm(command));
    }
    QStringList codes;
    for (const std::string& form : forms) {
        codes << "<code>" + QString::fromStdString(form).toHtmlEscaped() + "</code>";
    }
    const auto cell = [](std::string_view text) {
        return "<td>" +
               QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toHtmlEscaped() +
               "</td>";
    };
    return "<tr><td>" + codes.join(", ") + "</td>" + cell(command.meaning) + cell(command.status) +
           "</tr>\n";
}

}  // namespace

QString HelpText() {
    QString text = QString::fromUtf8(kBeforeCommands);
    for (const CommandInfo& command : kScriptCommands) {
        text += CommandRow(command);
    }
    return text + QString::fromUtf8(kAfterCommands);
}

}  // namespace gleanwork
