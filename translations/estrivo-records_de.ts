<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Journal</name>
    <message>
        <source>The journal refuses writes: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another program kept the journal locked for more than %1 s: %2.</source>
        <translation type="unfinished"></translation>
    </message>
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
        <source>Usage: estrivo-records [--journal LOCATION]
       estrivo-records export [options]
       estrivo-records labels ID [options]
Browses, charts, exports and labels the collections in the Estrivo journal.
Without a command the window opens.

Commands (see estrivo-records COMMAND --help):
  export              write the kept sheets as CSV
  labels ID           print the dose labels of sheet ID

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
        <source>export takes no argument &quot;%1&quot;.</source>
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
        <source>--output is an option of the %1 and %2 commands.</source>
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
