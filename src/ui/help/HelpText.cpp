#include "ui/help/HelpText.h"

#include <QStringList>
#include <string>
#include <vector>

#include "script/CommandTable.h"

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
<p>A reference can pass its value through <b>filters</b>, applied left to
right: <code>{name|html|trim|csv}</code>.</p>
<ul>
<li><code>html</code> decodes character references such as
<code>&amp;amp;</code>, <code>&amp;eacute;</code>, <code>&amp;#233;</code> and
<code>&amp;#xE9;</code> (once: <code>&amp;amp;amp;</code> gives
<code>&amp;amp;</code>), written out as UTF-8;</li>
<li><code>trim</code> removes spaces, tabs and line ends at both ends and
turns every run of them inside into one space;</li>
<li><code>csv</code> makes one comma-separated field: in double quotes, with
inner quotes doubled, when the value holds a comma, a quote, a line end or
spaces at its ends;</li>
<li><code>json</code> makes a JSON string, quotes included;</li>
<li><code>url</code> percent-encodes the value for a query, as in
<code>FETCH "search?q={word|url}"</code>.</li>
</ul>
<p>A reference with an unknown filter gives nothing. A variable whose own name
holds <code>|</code> (saved with <code>SAVETO a|b</code>) is used as it is.</p>

<h3>Commands</h3>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>Command</th><th>What it does</th><th>Status</th></tr>
)html";

// The rest of the page after those rows.
constexpr const char* kAfterCommands = R"html(</table>
<p>Jumps are never taken when the cursor is at the end of the text, so a loop
that reads the text piece by piece ends there; only a status set by
<code>FETCH</code> or <code>BACK</code> is jumped on there too, since a page
that failed is empty. Write bookmark names without
quotes. A jump back to where the script was before, with nothing changed
and nothing read since, could only repeat forever: the run ends there with an
<code>ERROR: </code> line. Any other loop that never ends stops when you
close its Agent Output window.</p>

<h3>Following links</h3>
<p><code>FETCH</code> reads another page in place of the text, with the same
settings, log lines and errors as the agent's first page. Its address may be
absolute or relative to the current page, as a link on that page would be:
<code>detail.html</code>, <code>/item/7</code>, <code>?page=3</code>,
<code>//host/x</code>, <code>../up.html</code>; on a file source, relative
addresses name files beside the current one. Variables stay, and jumps work as
before. <code>BACK</code> returns to the page before the last
<code>FETCH</code> with its cursor where it was; only that one page is kept,
so a loop may fetch as many pages as it likes.</p>
<p>Cookies that the pages of a run set are sent back to the pages they
belong to for the rest of that run, so a run gets past a cookie notice or a
session login. To keep them from one run to the next, give the agent a
cookie file (see below).</p>

<h3>Logging in through a form</h3>
<p><code>FETCH "address" "body"</code> sends the body to the address as a
form (a <code>POST</code>, as a browser sends a form whose method is post)
and reads the reply as the new page; <code>BACK</code> returns from it as
from any other. The body is the form's fields as
<code>name=value</code> pairs joined by <code>&amp;</code>; write values that
come from variables with the <code>url</code> filter. A login form that
carries a hidden token is read first, and the token sent back:</p>
<pre>FIND "name=\"token\" value=\""
GETUNTIL "\""
SAVETO token
FETCH "login" "user=demo&amp;password=demo&amp;token={token|url}"
FIND "&lt;p class=\"balance\"&gt;"</pre>
<p>A redirect after the form (301, 302 or 303) is followed with a plain
request; a 307 or 308 sends the form again to its new address. A server that
refuses the form usually answers with an error status and a page that says
why: the run logs the status as an <code>ERROR: </code> line, and the page is
the text the script goes on with.</p>
<p>To be polite to the sites it reads, a run waits until one second has
passed since its last page from the same host before it asks that host again
(about the pace of a person clicking through, and the pause sites most often
ask of automatic readers). The run log says when it waits. The agent file key
<code>INTERVAL</code> changes it, in milliseconds (<code>INTERVAL=0</code>
waits never).</p>

<h3>Sessions, character sets and robots.txt</h3>
<p>Three keys of the agent file make an agent fit for real sites:</p>
<ul>
<li><code>COOKIEFILE=PATH</code>: a cookie jar in the Netscape format that
curl and browsers' exporters use (a relative path is in the installation
folder). A run starts with its cookies and writes its own back when it ends,
session cookies included, so a login lasts to the next run. A Test run writes
nothing.</li>
<li><code>CHARSET</code> (<b>Character set</b> on the General page): empty
keeps every page's bytes as received; <code>auto</code> converts each page to
UTF-8 from what it declares (a byte order mark, its reply's
<code>Content-Type</code>, a <code>&lt;meta charset&gt;</code>), else from
windows-1252; a name such as <code>iso-8859-1</code>, <code>windows-1251</code>
or <code>shift_jis</code> converts from that set. The run log says for each
page what was converted.</li>
<li><code>ROBOTS=1</code> (<b>Obey each site's robots.txt</b> on the General
page, on for every new agent): each site's
<code>robots.txt</code> is read once per run, a page it disallows for the
agent's user agent is not asked for (the <code>FETCH</code> fails with
<code>ERROR: robots.txt of HOST disallows PATH</code>), and its
<code>Crawl-delay</code> is the least wait between two pages from the
site.</li>
</ul>
<p>A server that answers 429 or 503 with a <code>Retry-After</code> of at
most two minutes is asked again after that wait, at most twice. Without a
proxy of its own, an agent uses the proxy that the variables
<code>https_proxy</code>, <code>http_proxy</code>, <code>all_proxy</code> and
<code>no_proxy</code> name.</p>

<h3>Writing into a database</h3>
<p>The <b>Database Configuration</b> on the Output settings page names a data
source and two SQL statements. The <b>Data Source</b> is an SQLite file
(<code>sqlite:PATH</code>, or a path ending in <code>.db</code>,
<code>.sqlite</code> or <code>.sqlite3</code>; a relative path is read like the
agent's other paths) or a PostgreSQL server
(<code>postgresql://host/database</code>). <b>User ID</b> and <b>Password</b>
are used when they are not empty. Without a data source, <code>INSERTDATA</code>
and <code>UPDATEDATA</code> only write their statements to the run log.</p>
<p>Each <code>{name}</code> in a statement is replaced by the variable's value
as data, never as SQL text, so quotes or SQL inside a collected value cannot
change the statement. Write text values as <code>'{name}'</code>, as in the
run log: the quotes are dropped and the value is passed whole. A statement that
the database refuses sets the status to FAILED and logs <code>ERROR: </code>
with the database's message; the run goes on. Everything the run's statements
did is saved together when the run ends, also when you close the window
early. <b>Test connection</b> tries the settings without changing
anything.</p>
<p>For example, with the table</p>
<pre>CREATE TABLE quotes (symbol TEXT PRIMARY KEY, price NUMERIC)</pre>
<p>the data source <code>quotes.db</code>, the SQL for INSERTDATA command</p>
<pre>INSERT INTO quotes (symbol, price) VALUES ('{symbol}', {price})</pre>
<p>and the SQL for UPDATEDATA command</p>
<pre>UPDATE quotes SET price = {price} WHERE symbol = '{symbol}'</pre>
<p>this script adds each quote of a page, or updates its price when the
symbol is already there (the database then refuses the insert, and
<code>JUMPIFOK</code> does not jump):</p>
<pre>BOOKMARK quote
FIND "&lt;span class=\"symbol\"&gt;"
JUMPIFFAILED done
GETUNTIL "&lt;/span&gt;"
SAVETO symbol
FIND "&lt;span class=\"price\"&gt;"
GETUNTIL "&lt;/span&gt;"
SAVETO price
INSERTDATA
JUMPIFOK quote
UPDATEDATA
JUMPIFOK quote
BOOKMARK done</pre>
<p>A page holding <code>&lt;span class="symbol"&gt;ACME&lt;/span&gt;
&lt;span class="price"&gt;12.50&lt;/span&gt;</code> gives the run-log line
<code>[SQL]: INSERT INTO quotes (symbol, price) VALUES ('ACME', 12.50)</code>,
and the table then holds ACME at 12.50.</p>

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
<p>Each result of a list, from its own page, as CSV:</p>
<pre>BOOKMARK item
FIND "&lt;a class=\"item\" href=\""
JUMPIFFAILED done
GETUNTIL "\""
SAVETO link
FETCH "{link}"
FIND "&lt;h1&gt;"
GETUNTIL "&lt;/h1&gt;"
SAVETO name
PRINTLN "{name|html|trim|csv}"
BACK
JUMPIFOK item
BOOKMARK done</pre>
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
    return "<tr><td>" + codes.join(", ") + "</td>" + cell(command.meaning) +
           cell(command.status.text) + "</tr>\n";
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
