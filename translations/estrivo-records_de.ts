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
        <source>Only %1 of collection %2 remain; %3 cannot be moved out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movement %1 is no dispatch of collection %2.</source>
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
        <source>Movement %1 is not one of collection %2.</source>
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
        <source>Only %1 of collection %2 remain; %3 cannot be taken off.</source>
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
