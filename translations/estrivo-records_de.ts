<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Journal</name>
    <message>
        <source>The journal could not be written: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal could not be read: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file is a database of another program; it was left as it is.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal was written by a newer version of Estrivo (schema %1; this program knows %2), so it is open for reading only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal holds no sheet %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal holds no reading %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It does not start with postgresql://.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It names several hosts; give one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its IPv6 address is not closed by ].</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A parameter after ? has no value.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A parameter after ? is not a connection keyword.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The value of %1 holds a semicolon.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its port is not a number from 1 to 65535.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal&apos;s address is not a usable connection URI. %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Qt&apos;s PostgreSQL driver is missing (Debian package libqt6sql6-psql).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal&apos;s database server could not be reached: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal location is a folder, not a file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file cannot be read: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file is not a database; it was left as it is.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file is read-only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal&apos;s folder is read-only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal&apos;s folder could not be created: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file could not be created: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No journal file is set.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is missing (Debian package libqt6sql6-sqlite).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file could not be opened: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file cannot keep a write-ahead log (journal mode %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is neither a file path nor a postgresql:// address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be written: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It has an &quot;@&quot; after a &quot;/&quot;, so it is not read as user and password. Write a &quot;/&quot; of the password as %2F, or better keep the password in ~/.pgpass.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its IPv6 address is followed by something else.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A parameter after ? has a second &quot;=&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It could not be kept on this computer either (%1): %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal location is not a regular file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No journal at %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No journal at %1: the folder %2 does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It was no longer waiting on this computer: another program delivered it, or it could not be read back and was set aside as .bad in the outbox.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal holds no movement %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The EU marking needs the station&apos;s approval number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Records are kept for %1 to %2 years.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>station&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The register holds no stallion %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No stallion of the register goes by &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The name &quot;%1&quot; belongs to %2 already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was merged into another stallion.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A stallion is one with himself already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 is longer than %2 characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 holds a control character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A movement moves at least one dose.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch %1 was reversed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A return brings back no fewer than 0 doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A return brings back doses, the container, or both.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch %1 sent %2, %3 of them back already: %4 cannot come back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch %1 went out without a container.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The container of dispatch %1 is back already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An adjustment needs a reason.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 is itself a reversal; record the movement anew instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 was reversed already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Returns were recorded against dispatch %1; reverse them first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An adjustment changes the doses by at least one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adjustments cannot raise the doses above the %1 the collection made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>consignee</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mare&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mare&apos;s UELN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>country</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>vet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>carrier</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tracking number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>container</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reason</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>operator</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The mare&apos;s UELN: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no ISO 3166 country code (two letters, such as DE).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A dispatch needs its consignee.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Doses used on the station need the mare&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destroyed doses need a reason.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A stallion needs a name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>species</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>breed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>registration number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>owner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UELN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>alias</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A date of birth lies in the past.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An approval number has at most %1 characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no approval number: the country&apos;s two capital letters, a hyphen, then the number (such as DE-EQ-0042).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no ISO 3166 country code.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A UELN has 15 characters; &quot;%1&quot; has %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A UELN holds letters and digits only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A UELN starts with its country&apos;s 3-digit code; &quot;%1&quot; does not.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>000 is no country code of a UELN.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A freeze batch is made from at least one collection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 is named twice.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 gives no raw semen to the batch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws hold 0.25 or 0.5 ml, not %1 ml.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A batch makes 1 to %1 straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The final concentration is a number above 0 (M/ml).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sperm per straw is a number above 0 (M).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws per dose lie between 1 and the straws made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The centrifugation is given in g and minutes, 0 or more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>extender</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>straw colour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>straw marking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The release figure is a progressive motility from 0 to 100 %.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The low-stock figure is a number of doses, 0 or more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 is of %2, not of %3: a batch pools collections of one stallion.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 shows no gel-free volume to take raw semen from.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 gave %2 ml, %3 ml of it frozen already: %4 ml cannot be used.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 straws of %2 M hold %3 M sperm, more than the %4 M in the raw semen used.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal holds no freeze batch %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motility after thawing is a percentage from 0 to 100.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progressive motility (%1 %) cannot exceed total motility (%2 %).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velocities are given in µm/s, from 0 to 1000.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A test thaws at least one straw, and is read 0 or more minutes after.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bacteriology</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Holding a batch back needs a reason.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1 has no post-thaw test yet: it cannot be released.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1 showed %2 % progressive motility after thawing, below the station&apos;s %3 %: it cannot be released.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 straw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 straws</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>freeze batch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>collection %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 of %2 remain; %3 cannot be moved out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 is no dispatch of %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 is not one of %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 of %2 remain; %3 cannot be taken off.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A tank needs a name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tank&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A tank has 1 to %1 canisters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The lowest safe level is given in cm, from 0 to 200.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 straws of batch %2 lie at %3; %4 cannot be taken from there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tank %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>canister %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>goblet %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cane %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A goblet or cane is named in at most %1 characters, without blanks around.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>position</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal holds no tank %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has canisters 1 to %2, not %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1 is not released (%2): its straws cannot be dispatched or used.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws that leave are taken from a position: name its tank and canister.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 straws of batch %2 are out of place; take straws out of their position first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is a tank named &quot;%1&quot; already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Canister %1 of this tank holds straws: it keeps at least %1 canisters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A nitrogen level is given in cm, from 0 to 200.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A move takes at least one straw.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A placement names where straws go, a move where from and where to, a taking out where from.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws moved go somewhere else.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 straws of batch %2 are out of place; %3 cannot be placed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Link</name>
    <message>
        <source>A USB serial adapter gets its own COM number: look it up in the Device Manager under &quot;Ports&quot; and type it into the port box (COM5, for example).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A USB serial adapter usually appears as /dev/ttyUSB0 (or /dev/ttyACM0): type that into the port box.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No port is chosen. Type a port number (1 for COM 1) or a device name into the port box.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a port number nor a serial device. Type 1 to 4 for COM 1 to COM 4. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is out of range: port numbers go from 1 to %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no port %1: port numbers start at 1 (COM 1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: no such device. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: permission denied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: permission denied. Serial ports belong to the dialout group: add your user to it (sudo adduser $USER dialout), then log out and in again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is in use by another program. Close that program, then connect again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: no serial hardware answers on this port. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Print</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No printer is installed. Printer Setup can print to a PDF file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No printer is installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; is not available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print document could not be started.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print document could not be finished.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print Setup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; is not available: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; is not accepting jobs.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; did not take the job: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print service does not answer (is CUPS running?). Printer Setup can print to a PDF file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print service does not answer (is CUPS running?).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Records</name>
    <message>
        <source>  --journal LOCATION  the journal: a SQLite file or a postgresql:// URI
  --help              show this help and exit
  --version           show the version and exit
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Exit status: 0 on success, 1 when the work fails, 2 for a usage error.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown command &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 is an option of the %2 command.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--journal needs a location.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 wants a day as YYYY-MM-DD, not &quot;%2&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--since is after --until.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--output needs a file name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>labels wants the ID of one kept sheet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not the ID of a kept sheet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--count wants a number of labels from 1 to %1, not &quot;%2&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--printer needs a printer&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--label-size wants WxHmm, each side %1 to %2 mm, not &quot;%3&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal %1 could not be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No kept sheet has the ID %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sheet %1 holds no whole doses (&quot;%2&quot;); give --count.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>standard output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 collection written to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 collections written to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal could not be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file %1 could not be created: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A new page of the report %1 could not be started.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dose %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M sperm/dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ml (%2 semen + %3 ext.)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The number of labels must be 1 to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No default printer is set.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; is not available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dose labels, sheet %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The printer does not take labels of %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print document could not be started.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A new label page could not be started.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print document could not be finished.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; made %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the PDF writer did not start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Concentration (M/ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gel-Free Volume (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motility (%)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total Sperm (billions)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motile Sperm (billions)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume per Dose (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Printed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 collection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 collections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--stallion needs a stallion&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--since needs a day as YYYY-MM-DD.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--until needs a day as YYYY-MM-DD.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--count needs a number of labels.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--label-size needs a size as WxHmm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give no --output to write to standard output.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sheet %1 holds %2 doses; more than %3 labels are printed only with --count (at most %4 a run).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not written: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dose %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a FIFO</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a socket</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a special file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the disk is full (the disk quota is used up)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the disk is full (the file size limit is reached)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is a symbolic link, which may lead to any file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is %1, not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is the journal being read, or one of its files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it could not be read to make sure it holds no database: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it changed while it was looked at</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is a SQLite database or write-ahead log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No collection date on the sheet; saved %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (saved)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--search needs a text to look for.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records export [--stallion NAME] [--search TEXT]
                              [--since YYYY-MM-DD] [--until YYYY-MM-DD]
                              [--bom] [--output FILE]
Writes the kept sheets, newest first, as CSV (RFC 4180, UTF-8).

  --stallion NAME     only this stallion&apos;s collections (any spelling)
  --search TEXT       only sheets whose name or notes hold TEXT (any case
                      or accents)
  --since YYYY-MM-DD  only sheets saved on or after this day
  --until YYYY-MM-DD  only sheets saved on or before this day
                      (days and saved_at in local time, as $TZ sets it)
  --bom               start with a UTF-8 byte-order mark, for spreadsheet
                      programs that assume a Windows code page
  --output FILE       write FILE (replaced once complete), not standard output
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records labels ID [--count N]
                                 [--printer NAME | --output FILE.pdf]
                                 [--label-size WxHmm]
Prints the dose labels of the kept sheet ID, one label a page.

  --count N           print N labels (default: its Total Doses Possible)
  --printer NAME      the printer (default: the system&apos;s default printer)
  --output FILE.pdf   a PDF file instead of a printer
  --label-size WxHmm  the label&apos;s size in mm (default: 62x29mm)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--printer and --output are exclusive: labels go to a printer or to a PDF file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Semen (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Extender (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Station: %1; journal: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In each summary the change is the least-squares trend over the period, by collection time, per 30 days.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total sperm (billions)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quantity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mean</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change per 30 days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no stallion named)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not named (the setting station/name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--name needs a name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--approval needs an approval number such as DE-EQ-0042.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--address needs an address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--marking needs eu or none.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--retention-years needs a number of years.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--label-date needs yymmdd or dd.mm.yy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--ueln needs a UELN.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--breed needs a breed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--born needs a day as YYYY-MM-DD.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--registration needs a registration number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--owner needs the owner&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--alias needs a name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--doses needs a number of doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--to needs the consignee.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--mare needs the mare&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--mare-ueln needs a UELN.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--country needs a two-letter country code.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--vet needs the vet&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--carrier needs the carrier.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--tracking needs a tracking number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--container needs a container.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--due-back needs a day as YYYY-MM-DD.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--reason needs a reason.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 wants --%2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 wants a whole number from 1 to %2, not &quot;%3&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 wants the ID of one %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not the ID of a %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--approval: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--marking wants eu or none, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--retention-years wants a number of years from %1 to %2, not &quot;%3&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--label-date wants yymmdd or dd.mm.yy, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>station set wants at least one of --name, --address, --approval, --marking, --retention-years, --label-date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--born %1 is a day still to come.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--country &quot;%1&quot; is no ISO 3166-1 country code such as DE or FR.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records station show
       estrivo-records station set [--name NAME] [--address ADDRESS]
                                   [--approval CC-XXXX] [--marking eu|none]
                                   [--retention-years N]
                                   [--label-date yymmdd|dd.mm.yy]
Shows or sets the station&apos;s profile, which its labels and its register carry.
Only what is given changes.

  --name NAME            the station&apos;s name
  --address ADDRESS      its address
  --approval CC-XXXX     its approval number with the ISO 3166-1 country code
                         in front, such as DE-EQ-0042
  --marking eu|none      the marking labels must carry (eu: the EU marking,
                         which needs an approval number)
  --retention-years N    how long the register is kept, 1 to 100 (default 3)
  --label-date FORM      the collection date on labels: yymmdd (261207) or
                         dd.mm.yy (07.12.26)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records stallion list
       estrivo-records stallion add --name NAME [identity]
       estrivo-records stallion set NAME [identity]
       estrivo-records stallion rename NAME NEW_NAME
       estrivo-records stallion merge NAME INTO_NAME
Keeps the stallion register. A sheet is a stallion&apos;s when the first line of its
name box is his name or one of his aliases, in any spelling. rename keeps the
old name as an alias; merge makes the first stallion one with the second, his
names and sheets with them. list writes one tab-separated line a stallion.

Identity (add, set):
  --ueln UELN            the Universal Equine Life Number (15 characters)
  --breed BREED          the breed
  --born YYYY-MM-DD      the date of birth
  --registration NUMBER  the studbook&apos;s registration number
  --owner OWNER          the owner
  --alias NAME           another name of his sheets (may be repeated)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records dispatch SHEET_ID --doses N --to CONSIGNEE
           [--mare NAME] [--mare-ueln UELN] [--address ADDRESS] [--country CC]
           [--vet NAME] [--carrier NAME] [--tracking NUMBER]
           [--container CONTAINER] [--due-back YYYY-MM-DD]
Keeps doses of collection SHEET_ID sent away and prints the movement&apos;s ID.
Refused, saying what remains, when fewer doses remain.

  --doses N              the doses sent
  --to CONSIGNEE         who receives them
  --mare NAME            the mare they are for
  --mare-ueln UELN       her UELN
  --address ADDRESS      where they go
  --country CC           the country, ISO 3166-1 (DE, FR, ...)
  --vet NAME             the vet who inseminates
  --carrier NAME         the carrier
  --tracking NUMBER      the carrier&apos;s tracking number
  --container CONTAINER  the shipping container, to have it back
  --due-back YYYY-MM-DD  when the container is due back
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records use SHEET_ID --doses N --mare NAME [--mare-ueln UELN]
Keeps doses of collection SHEET_ID used on the station and prints the movement&apos;s
ID.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records destroy SHEET_ID --doses N --reason TEXT
Keeps doses of collection SHEET_ID destroyed and prints the movement&apos;s ID.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records return MOVEMENT_ID [--doses N] [--container-back]
Keeps what came back from the dispatch MOVEMENT_ID: N unused doses, its
container, or both; prints the movement&apos;s ID.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records adjust SHEET_ID --doses +N|-N --reason TEXT
Changes the doses collection SHEET_ID made (-N: fewer were filled) and prints
the movement&apos;s ID.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records reverse MOVEMENT_ID --reason TEXT
Corrects a mistaken movement with one that undoes it (a movement is never
deleted) and prints the new movement&apos;s ID.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records containers
Lists the containers sent with a dispatch and not back, oldest first, one
tab-separated line each: dispatch, sheet, container, consignee, sent, due back
and out, due (today) or overdue.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records register [--since YYYY-MM-DD] [--until YYYY-MM-DD]
                                [--output FILE]
Writes the register: every collection with its donor and every movement of its
doses, oldest first; a PDF for an inspector when FILE ends in .pdf, else CSV
(to standard output without --output).

  --since YYYY-MM-DD  only collections saved on or after this day
  --until YYYY-MM-DD  only collections saved on or before this day
  --output FILE       write FILE (replaced once complete)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records transport MOVEMENT_ID --output FILE.pdf
Writes the transport sheet of the dispatch MOVEMENT_ID as a PDF.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>station wants show or set.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stallion wants list, add, set, rename or merge.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 is an option of the %2 commands.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes no argument &quot;%2&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stallion set wants the stallion&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stallion set wants at least one of --ueln, --breed, --born, --registration, --owner, --alias.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stallion rename wants his name and the new one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stallion merge wants the name of the stallion to merge and of the one he becomes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>movement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>transport wants --output FILE.pdf.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>return wants --doses, --container-back or both.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kept sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--doses wants the change, such as -2 or +1, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No registered stallion is named &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; and &quot;%2&quot; are one stallion already (%3).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No movement has the ID %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 is no dispatch: only dispatched doses and containers come back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This command keeps nothing in the register.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Out, no return date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overdue by 1 day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overdue by %1 days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Due back today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Due back tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Due back in %1 days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Containers Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Show:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All containers out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Due back within a week, or overdue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overdue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Containers out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Container</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Consignee</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Due back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>State</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Mark Returned</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;fresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the containers out...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Containers out: %1, overdue: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keeping the return of %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mare %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>back from dispatch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>container back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reverses %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch This Dose...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use This Dose...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dis&amp;patch...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Use...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>D&amp;estroy...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Retur&amp;n...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ad&amp;just...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;verse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Corrects the chosen movement by one that undoes it: nothing in the register is deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transp&amp;ort Sheet...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The PDF that travels with the chosen dispatch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To whom, or why</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operator</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a collection to see its doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the doses...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallion %1 (registered): %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This sheet names no stallion.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not on the stallion register.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Register %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 dose made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 doses made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, 1 remains.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 remain.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, reversed by %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Label read: dose %1 of %2 of collection %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch %1 kept. Its transport sheet: Transport Sheet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transport Sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>transport-sheet-%1.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writing %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Equine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UELN %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, UELN %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No collection date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved %1, no collection date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collected %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Approval %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the collection date (the sheet holds none that can be read, only the time it was saved)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the donor&apos;s species and UELN (the sheet names no stallion)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the donor&apos;s species and UELN (%1 is not in the stallion register: register him with his UELN)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the donor&apos;s species (give %1 his species in the register)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the donor&apos;s UELN (register %1 with his UELN)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the donor&apos;s UELN (%1&apos;s &quot;%2&quot; is none: %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the station&apos;s approval number with its country code (set it in the station profile)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the station&apos;s approval number (&quot;%1&quot; is none: %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The EU marking is in force and these labels would lack %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The marking does not fit a label of %1 in readable type; choose a larger label.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch Doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use Doses on the Station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destroy Doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Return of a Dispatch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adjust Doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse a Movement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Di&amp;spatch:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Change in doses:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Doses back:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Doses:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Below zero where fewer doses were filled than the sheet made; above zero to take back an earlier adjustment.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The &amp;container came back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;To (consignee):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Mare:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>15 characters, as on her passport</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mare&apos;s &amp;UELN:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>two letters, e.g. DE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cou&amp;ntry:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Veterinarian:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ca&amp;rrier:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trac&amp;king number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;ontainer:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Container due &amp;back on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Container due back on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reason:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 doses to %3, %4 not back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1: %2 of %3 doses remain.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No doses of this collection remain.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the number of doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only 1 dose remains.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 doses remain.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No dispatch of this collection is out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch %1 has %2 out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the doses that came back, or tick the container.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the change in doses, below zero for fewer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>At most %1 can be taken away: what remains.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adjustments cannot raise the doses above the %1 the collection made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the movement to reverse.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 has been reversed already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 is itself a reversal: record the movement anew instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It cannot be undone: the doses it brought back have moved on since.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Say to whom the doses go.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the mare.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mare&apos;s UELN: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is no ISO 3166 country code (two letters, such as DE).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The container cannot be due back before today.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the reason: the register keeps it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 (%2, %3 doses) is corrected by a movement that undoes it; it stays in the register, marked as reversed. %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keeping it in the journal...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;gister</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Station Profile...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;tallions...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Containers...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dispatched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>destroyed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>returned</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>adjusted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>EU marking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no marking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections from %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections from %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections until %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every kept collection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UELN, breed, born</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Doses made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Consignee, mare</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address, country</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Carrier, tracking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Container, due, back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reason</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(not registered)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>due %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>back %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Station: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(not named)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Approval number: %1; %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(none)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Register of collections and doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; %2 rows; made %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no movement has the ID %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>movement %1 is no dispatch (its doses were %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Species</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Born</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UELN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Registration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Owner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Concentration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motility</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sperm per dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume per dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Semen per dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Extender per dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mare</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Country</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Carrier</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transport sheet: dispatch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Donor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Consignment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Handed over (date, signature)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Received (date, signature)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 register row written to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 register rows written to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal did not say why.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destroyed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Returned</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adjusted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>born %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>registration %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>owner %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no identity kept yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;can:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan a dose label</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click here and scan a dose label: its collection is shown and the dose offered for dispatch or use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a dose label of this program: &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No journal is open to look the dose up in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking up collection %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This label is from another station (%1), not from %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>this station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 is not in this journal.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 made %2 doses: there is no dose %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dose %1 of %2, collection %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Register a Stallion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallion %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Other spellings of his name, one a line: sheets under any of them are his.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Aliases:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Species:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Breed:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>YYYY-MM-DD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bo&amp;rn:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;gistration number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>15 characters, as on his passport</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;UELN:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Owner:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give his name as the sheets write it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>At most %1 aliases.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Born: write the date as YYYY-MM-DD.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Born: the date is still to come.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UELN: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 stays one of his names, so the collections under it stay his.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every name of %1 becomes a name of the stallion chosen here, and his collections go with them. What that stallion&apos;s identity lacks is taken from %1. Nothing is deleted; the register keeps %1 as merged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge &amp;into:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Merge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallion Register</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Registered stallions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aliases</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit or Rename...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Merge Into...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the register...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No stallion is registered yet. Add one, or register the stallion of a collection from its Doses tab.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 stallion registered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 stallions registered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Station Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>country code first, e.g. DE-EQ-0042</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;pproval number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>EU: every label carries the legal marking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Marking on labels:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>yymmdd (261207)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dd.mm.yy (07.12.26)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection &amp;date on labels:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> years</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing younger is ever deleted from the journal.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Keep the register for:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the station&apos;s profile...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Approval number: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The EU marking needs the station&apos;s approval number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file is larger than %1 MB: it is not one instrument&apos;s result.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A row of the analysis file has more than %1 columns.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A quoted field of the analysis file is not closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file&apos;s text cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file holds NUL characters: it is not a text file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file has more than %1 rows of results.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file is empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file %1 cannot be read: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a regular file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the columns of total and progressive motility.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>total motility</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>progressive motility</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The analysis file has no column %1 (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 and the %2 are both mapped to the column %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Result row %1 gives a %2 of %3 in the column %4: not a percentage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Result row %1 gives a %2 of %3 in the column %4: a velocity is not negative.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No row of the analysis file has a number in each of the mapped columns.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 of the analysis file is too large to average.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The progressive motility (%1 %) is above the total motility (%2 %): check which columns are mapped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the instrument the mapping is for.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An instrument&apos;s name has at most %1 characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The mapping could not be saved in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--raw-ml needs the raw semen used, in ml.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--straws needs a number of straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--straw-volume needs 0.25 or 0.5.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--concentration needs the final concentration in M/ml.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--sperm-per-straw needs millions of sperm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--straws-per-dose needs a number of straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--extender needs the extender&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--centrifuge-g needs a force in g.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--centrifuge-min needs a number of minutes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--colour needs the straws&apos; colour.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--notes needs a text.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--total-motility needs a percentage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--progressive needs a percentage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--target needs millions of progressively motile sperm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--minutes needs a number of minutes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--vcl needs a velocity in um/s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--vsl needs a velocity in um/s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--vap needs a velocity in um/s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--bacteriology needs the finding.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--hold needs a reason.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--quarantine needs a reason.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--location needs a place.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--canisters needs a number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--min-level needs a level in cm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--level needs a level in cm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--note needs a text.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--tank needs a tank&apos;s name or ID.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--canister needs a canister&apos;s number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--goblet needs a goblet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--cane needs a cane.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--from needs a position TANK/CANISTER[/GOBLET[/CANE]].</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--all-from needs a position TANK/CANISTER[/GOBLET[/CANE]].</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--batch needs a freeze batch&apos;s ID.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--by needs tank or stallion.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--release-motility needs a percentage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--low-stock-doses needs a number of doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--marking needs what is printed on the straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--to needs a position TANK/CANISTER[/GOBLET[/CANE]].</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 wants a number from 0 to %2, not &quot;%3&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 wants a number above 0, at most %2, not &quot;%3&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sheet %1 is given twice.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>freeze wants the IDs of the sheets, as SHEET_ID[,SHEET_ID...].</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--raw-ml wants one volume for each of the %1 sheets.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--straw-volume wants 0.25 or 0.5 (ml), not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--centrifuge-g and --centrifuge-min go together.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--sperm-per-straw %1 M is more than %2 ml at %3 M/ml hold (%4 M).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--vcl, --vsl and --vap go together.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--progressive %1 % is more than the total motility %2 %.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A tank&apos;s name cannot hold &quot;/&quot;: it separates the parts of a position.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A tank&apos;s name cannot be a number alone: it would be taken for a tank&apos;s ID.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 wants a position TANK/CANISTER[/GOBLET[/CANE]], not &quot;%2&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--from and --all-from are exclusive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--all-from moves every straw there: give no --straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--all-from moves every batch&apos;s straws: give no BATCH_ID.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>freeze batch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--from and --to are the same position.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not the ID of a freeze batch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws of a freeze batch are counted with --straws, not --doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Straws of a freeze batch (SHEET_ID may then be left out):
  estrivo-records %1 --batch BATCH_ID --straws N
                  --from TANK/CANISTER[/GOBLET[/CANE]]
A dispatch or use needs a released batch; never more straws leave than the
position holds.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records freeze SHEET_ID[,SHEET_ID...] --raw-ml ML[,ML...]
           --straws N --straw-volume 0.25|0.5 --concentration M_PER_ML
           [--sperm-per-straw M] [--straws-per-dose N] [--extender E]
           [--centrifuge-g G --centrifuge-min MIN] [--colour C]
           [--marking TEXT] [--notes TEXT]
Keeps a freeze batch made from one collection, or from several of one stallion
pooled, and prints its ID. It starts in quarantine, its straws not yet placed.

  --raw-ml ML[,ML...]     raw semen taken from each sheet, in ml (at most its
                          gel-free volume less what earlier batches took)
  --straws N              straws made
  --straw-volume 0.25|0.5 the straw&apos;s volume in ml
  --concentration M       final concentration in the straw, M/ml
  --sperm-per-straw M     sperm per straw, M (default: concentration x volume)
  --straws-per-dose N     straws to one insemination dose
  --extender E            the freezing extender
  --centrifuge-g G        centrifugation force in g, with --centrifuge-min
  --centrifuge-min MIN    centrifugation time in minutes
  --colour C              the straws&apos; colour
  --marking TEXT          what is printed on each straw
  --notes TEXT            notes
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records thaw-test BATCH_ID --total-motility P --progressive P
           [--straws N] [--minutes M] [--vcl V --vsl V --vap V]
           [--bacteriology TEXT]
Keeps a post-thaw test of freeze batch BATCH_ID and prints its ID.

  --total-motility P   total motility after thawing, %
  --progressive P      progressive motility after thawing, %
  --straws N           straws thawed (default 1)
  --minutes M          minutes after thawing (default 0)
  --vcl/--vsl/--vap V  velocities in um/s from an analyser, all three
  --bacteriology TEXT  the bacteriology finding
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records release BATCH_ID [--hold REASON | --quarantine REASON]
Releases freeze batch BATCH_ID for use and sale, or holds it back. A release
needs a post-thaw test whose progressive motility reaches the station&apos;s figure
(frozen-settings, default 30 %).

  --hold REASON        put it on hold
  --quarantine REASON  put it back in quarantine
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records tank add --name NAME [--location L] [--canisters N]
                                [--min-level CM]
       estrivo-records tank list
Adds a liquid-nitrogen tank and prints its ID, or lists the tanks, one
tab-separated line each: id, name, location, canisters, min_level_cm,
last_check_at, last_level_cm, state (ok, due, low or due,low).

  --name NAME       the tank&apos;s name, unique (no &quot;/&quot;, not a number alone)
  --location L      where it stands
  --canisters N     its canisters (default 6)
  --min-level CM    the level below which its straws are at risk (default 5)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records tank-check TANK --level CM [--refilled] [--note TEXT]
Keeps a liquid-nitrogen level check of TANK (its name or ID) and prints its ID.

  --level CM     the level measured, in cm
  --refilled     the tank was refilled at this check
  --note TEXT    a note
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records place BATCH_ID --straws N --tank TANK --canister N
                             [--goblet G] [--cane C]
Places N straws of freeze batch BATCH_ID not yet placed in a tank&apos;s canister,
goblet and cane.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records move BATCH_ID --straws N --from POSITION --to POSITION
       estrivo-records move --all-from POSITION --to POSITION
Moves straws between positions, never more than the position holds. A position
is TANK/CANISTER[/GOBLET[/CANE]], the tank by name or ID. --all-from moves the
straws of every batch at POSITION and below it in one step, all or none; a
goblet or cane --to leaves out stays as it was.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records inventory [--by tank|stallion] [--output FILE]
Writes the straws in store, each batch per tank (default) or per stallion over
all tanks: a PDF when FILE ends in .pdf, else CSV (to standard output without
--output) with the columns tank_id, tank, stallion, batch_id, frozen_at, state,
straws, straws_per_dose, doses, positions.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records frozen-settings [--release-motility P]
                                       [--low-stock-doses N]
Sets what is given and shows the station&apos;s rules for frozen semen.

  --release-motility P  the post-thaw progressive motility a release needs, %
  --low-stock-doses N   fewer released doses in store make a stallion low
                        (0: never)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records tanks-due
Lists, one tab-separated line each, the tanks whose last level check is more
than 7 days old (&quot;due&quot;), the tanks whose last level is below their minimum
(&quot;low&quot;) and the stallions low in released doses (&quot;low-stock&quot;). Exit status 0
whether or not anything is listed.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records straws-per-dose --sperm-per-straw M --progressive P
                                       --target M
       estrivo-records straws-per-dose BATCH_ID --target M
                                       [--sperm-per-straw M] [--progressive P]
Works out the straws one dose takes to hold --target million progressively
motile sperm, printing the working a line a step and then
&quot;straws_per_dose: N&quot;. With BATCH_ID the sperm per straw is the batch&apos;s and the
progressive motility that of its latest post-thaw test, unless given.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records cane-labels BATCH_ID --output FILE.pdf
Writes a label for each cane or goblet holding straws of freeze batch BATCH_ID:
stallion, batch, freeze date, straws, position and a QR code.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: estrivo-records [--journal LOCATION]
       estrivo-records COMMAND [ARGUMENTS] [options]
Browses, charts, exports and labels the collections in the Estrivo journal and
keeps the register of stallions and doses. Without a command the window opens.

Commands (see estrivo-records COMMAND --help):
  export              write the kept sheets as CSV
  labels ID           print the dose labels of sheet ID
  station show|set    show or set the station&apos;s name, approval and marking
  stallion list|add|set|rename|merge
                      keep the stallion register
  dispatch SHEET_ID   keep doses sent away
  use SHEET_ID        keep doses used on the station
  destroy SHEET_ID    keep doses destroyed
  return MOVEMENT_ID  keep doses or a container back from a dispatch
  adjust SHEET_ID     change the doses a collection made
  reverse MOVEMENT_ID undo a mistaken movement
  containers          list the containers out
  register            write the register as CSV or PDF
  transport MOVEMENT_ID
                      write the transport sheet of a dispatch as PDF
  freeze SHEET_ID[,...] keep a freeze batch
  thaw-test BATCH_ID  keep a post-thaw test
  release BATCH_ID    release a batch, or hold it back
  tank add|list       keep the liquid-nitrogen tanks
  tank-check TANK     keep a level check of a tank
  place BATCH_ID      place straws in a tank
  move                move straws between positions
  inventory           write the straws in store as CSV or PDF
  frozen-settings     show or set the release and low-stock figures
  tanks-due           list the tanks due for a check or low, stallions low
  straws-per-dose     work out the straws a frozen dose takes
  cane-labels BATCH_ID
                      write labels for the canes and goblets of a batch

</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tank wants add or list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--hold and --quarantine are exclusive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 cannot hold &quot;/&quot;: it separates the parts of a position.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cane-labels wants --output FILE.pdf.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tank-check wants one tank&apos;s name or ID.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--by wants tank or stallion, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 goes with --batch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tank has the ID %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tank is named &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No straws lie at %1 to be moved elsewhere.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No freeze batch has the ID %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freeze batch %1 names no collection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freeze batch %1 was not made from sheet %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freeze batch %1 has no post-thaw test; give --progressive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Canister</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>canister </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>goblet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tank is kept yet: add one under Frozen, Tanks.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the tank.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New Freeze Batch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws of %1 from collection %2. Tick other collections of his to pool them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections pooled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gel-free (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Raw semen used (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not centrifuged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Centri&amp;fugation:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freezing &amp;extender:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> M/ml</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Final &amp;concentration:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ml</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straw &amp;volume:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws &amp;made:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sperm per straw:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straw co&amp;lour:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What is printed on each straw.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straw mar&amp;king:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> M progressively motile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Target per dose:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws per &amp;dose:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Notes:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> ml</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the collection the straws are frozen from.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the raw semen collection %1 gave.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection %1 gave %2 ml of gel-free semen: no more raw semen than that.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the freezing extender.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the final concentration in the straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the number of straws made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the straws per insemination dose.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M (%2 M/ml x %3 ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>from the final concentration and the volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No post-thaw test of his yet: freeze a test batch first to work out the straws per dose.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From his latest post-thaw progressive motility of %1 %:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The arithmetic gives %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Motility (%):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Progressive motility (%):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VC&amp;L (µm/s):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VS&amp;L (µm/s):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>V&amp;AP (µm/s):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Columns of the Analysis File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Say once per instrument which column holds which figure; the next file of the same instrument is read the same way.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Instrument:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the instrument the file comes from.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the columns of the motility and the progressive motility.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post-Thaw Test of Batch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws &amp;thawed:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Minutes after thawing:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>T&amp;otal motility:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Progressive motility:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velocities (µm/s):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no growth</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Bacteriology:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Typed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Import from Analysis File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analysis File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analysis results (*.csv *.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not imported.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not imported: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Imported from %1 (%2): the mean of %3 rows.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The progressive motility cannot be above the total motility.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is no velocity: give µm/s, such as 85.5, or nothing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Release of Batch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The station releases a batch whose post-thaw progressive motility is at least %1 %.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its latest test: %1 % progressive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It has no post-thaw test yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;State:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The batch is in this state already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the reason: it is kept with the batch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Place Straws of Batch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Straws</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;From:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Everything at this position, of every batch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;To:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Straws:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 of this batch, %3 in all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the tanks...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every straw of this batch is placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the number of straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 of this batch are not placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No straws are placed anywhere yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose another position to move them to.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This batch has no straws there: tick Everything to move what the position holds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 of this batch are there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1 of %2: %3 not placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1 of %2: %3 placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch Straws of Batch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use Straws of Batch %1 on the Station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only straws of a released batch leave the station: this one is in quarantine.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only straws of a released batch leave the station: this one is on hold.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No straws of this batch are placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only %1 are there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Say to whom the straws go.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frozen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unplaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post-thaw PM (%)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freeze batches</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post-Thaw &amp;Test...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;lease / Hold...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Place...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Move...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Goblet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws in the tanks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a freeze batch to see its straws.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;New Freeze Batch...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freezes straws from the chosen collection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Release / Hold / Quarantine...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Place Straws...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Move Straws...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>T&amp;anks...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Inventory by Tank (&amp;CSV)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Inventory by Tank (P&amp;DF)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Inventory by &amp;Stallion (CSV)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Inventory by Stallion (PD&amp;F)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cane and &amp;Goblet Labels...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not tested</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freeze batch %1: %2, %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frozen %1 by %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sources:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  collection %1 (%2): %3 ml raw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Centrifuged at %1 g for %2 min; extender %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not centrifuged; extender %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 ml at %3 M/ml: %4 M sperm per straw, %5 per dose.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws %1, marked &quot;%2&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 stored, %2 not placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post-thaw tests:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  none yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  %1: %2 thawed, after %3 min: %4 % motile, %5 % progressive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; VCL %1, VSL %2, VAP %3 µm/s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; bacteriology: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>typed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Release (at least %1 % progressive after thawing):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  in quarantine since it was frozen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  %1: %2 by %3%4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freeze batch %1 kept: %2, in quarantine until it is tested and released.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post-thaw test of batch %1 kept: %2 % progressive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 placed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 moved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispatch %1 kept: %2 to %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 kept: %2 used on %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>inventory-by-tank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>inventory-by-stallion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cane-labels-batch-%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cane and Goblet Labels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frozen Semen Inventory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>quarantine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>released</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>on hold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tanks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Straws/dose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Positions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>last checked %1 at %2 cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>never checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No straws are in store.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, canister %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>goblet %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cane %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frozen semen in store, by tank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frozen semen in store, by stallion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 straws in %2 lines; made %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no freeze batch has the ID %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no straw of freeze batch %1 is placed in a tank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cane labels, freeze batch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batch %1, frozen %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 straw of %1 ml</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 straws of %2 ml</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 line written to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 lines written to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quarantine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Released</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On hold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>canister %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 straw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 straws</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has no level check yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is due for a level check: last checked %2 days ago.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is low: %2 cm of liquid nitrogen, below %3 cm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is low in frozen stock: 1 released dose left.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is low in frozen stock: %2 released doses left.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fro&amp;zen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sperm a straw must be a number of millions above 0.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The progressive motility after thawing must be above 0 % and at most 100 %.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The progressively motile sperm wanted in a dose must be a number of millions above 0.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M sperm a straw × %2 % progressively motile = %3 M a straw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M wanted ÷ %2 M a straw = %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More than %1 straws for one dose: check the sperm a straw, the motility and the sperm wanted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M wanted ÷ %2 M a straw = 1 straw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M wanted ÷ %2 M a straw = %3 straws</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M wanted ÷ %2 M a straw = %3, rounded up: 1 straw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 M wanted ÷ %2 M a straw = %3, rounded up: %4 straws</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a Tank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tank %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Where it stands:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Canisters:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Below this level of liquid nitrogen the straws are at risk.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Lowest safe level:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the tank, as it is marked.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level Check of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last checked %1: %2 cm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Never checked yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Level:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Refilled with this check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Note:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Below the lowest safe level of %1 cm: refill the tank.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Canisters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level (cm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Care</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add Tank...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record Level &amp;Check...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level checks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refilled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>check due</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>never</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>fine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level check kept: %1 cm.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>estrivo::JournalDialog</name>
    <message>
        <source>Journal Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Journal location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give a file or a postgresql:// URI.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Testing the connection to %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Journal File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SQLite journals (*.sqlite *.db);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal is a SQLite file on this computer, or a PostgreSQL database the station shares, given as postgresql://user@host:port/dbname. Passwords are never kept here: libpq reads them from ~/.pgpass.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Keep the password in ~/.pgpass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make it the journal this &amp;workstation saves to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A password is not kept in the settings, and the address is used without it. Keep it where libpq reads it, ~/.pgpass (readable by you only), or give the address without a password and add it to ~/.pgpass yourself.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The password was not kept: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The password is in ~/.pgpass now; the address is kept without it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not taken: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From now on, sheets printed on this workstation are saved to %1. Make it this workstation&apos;s journal?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not taken: this workstation&apos;s journal stays as it was.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>estrivo::LabelsDialog</name>
    <message>
        <source>Print Dose Labels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, collected %2, record %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>labels-%1.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Labels PDF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Labels:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Label &amp;size:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Print to:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF &amp;file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the PDF file&apos;s name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not printed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print %1 labels?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The collection holds %1 whole doses.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sheet gives no whole number of doses (&quot;%1&quot;).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Print %1 Labels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, saved %2, record %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the station&apos;s marking...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The station&apos;s marking could not be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Printing once the station&apos;s marking is read...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>estrivo::RecordsWindow</name>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallion Name &amp; Notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Concentration (M/ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gel-Free Volume (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motility (%)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total Dose (M sperm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minimum Extension Ratio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max. Extended Concentration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Semen per Dose (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Extender per Dose (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume per Dose (ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total Doses Possible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Printed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Workstation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operator</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Program Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Estrivo Records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export &amp;CSV...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export PDF &amp;Report...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print Dose &amp;Labels...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;fresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Journal Location...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stallion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;From</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;To</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search names and notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Printed sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>T&amp;rend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opening %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Journal %1 not open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Journal: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Journal: %1 (read-only)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All stallions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a stallion to see his trend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a collection to see its sheet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading sheet %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes, to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No (meant for %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none (typed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No picture was kept with this sheet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the journal %1: no answer for %2 s. The window goes on working; what you asked for is shown once the journal answers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opening the journal %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export PDF Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>collections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Estrivo Records: collections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Estrivo Records: collections of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>saved from %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>saved until %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>names or notes containing &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All kept collections.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collections %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writing %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 label printed to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 labels printed to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;how:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ml</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To choose another journal: File, Journal Location.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal %1 cannot be read: %2 Estrivo Records tries again every few seconds and shows its collections as soon as it answers. %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal %1 could not be read: %2 %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Viewing %1, not this workstation&apos;s journal (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Estrivo Records &amp;Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Estrivo Records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No collections yet: sheets appear here when they are printed in Estrivo. Journal: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Estrivo Records Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Estrivo Records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Estrivo Records %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browses, charts, exports and labels the collections kept by Estrivo.

Free software under the GNU General Public License, version 3 or later.

Journal: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>estrivo::SnapshotPrinter</name>
    <message>
        <source>Printing support could not be loaded: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No picture of the window could be taken.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>estrivo::TrendChartView</name>
    <message>
        <source>Trend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total sperm (billions)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motile sperm (billions)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Doses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a stallion to see his trend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Concentration (M/ml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motility (%)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>billion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collection date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No %1 of %2 to chart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each collection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rolling mean of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 per collection</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
