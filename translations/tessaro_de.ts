<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Tessaro</source>
        <translation>Über Tessaro</translation>
    </message>
    <message>
        <source>Prepares external and removable drives for FAT32: formats, checks and repairs them, shows what they are and tests how much they really hold.</source>
        <translation>Bereitet externe Laufwerke und Wechsellaufwerke für FAT32 vor: formatiert, prüft und repariert sie, zeigt, was sie sind, und testet, wie viel sie wirklich speichern.</translation>
    </message>
    <message>
        <source>License: GNU General Public License, version 3 or later. There is no warranty.</source>
        <translation>Lizenz: GNU General Public License, Version 3 oder neuer. Es gibt keine Gewährleistung.</translation>
    </message>
    <message>
        <source>The work is done by the system&apos;s own tools: %1.</source>
        <translation>Die Arbeit erledigen die Werkzeuge des Systems: %1.</translation>
    </message>
</context>
<context>
    <name>BatchConfirmation</name>
    <message>
        <source>Type %1 (the number of drives) to erase them all: </source>
        <translation>Geben Sie %1 (die Anzahl der Laufwerke) ein, um alle zu löschen: </translation>
    </message>
</context>
<context>
    <name>CapacityFormatDialog</name>
    <message>
        <source>Format the tested drive?</source>
        <translation>Das getestete Laufwerk formatieren?</translation>
    </message>
    <message>
        <source>Format it with one FAT32 partition over the whole drive?</source>
        <translation>Mit einer FAT32-Partition über das ganze Laufwerk formatieren?</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Formatieren</translation>
    </message>
    <message>
        <source>Format only what holds data?</source>
        <translation>Nur den Teil formatieren, der Daten speichert?</translation>
    </message>
    <message>
        <source>Format it with one FAT32 partition of %1 GB, leaving the rest unused? Files beyond that size would be lost on this drive.</source>
        <translation>Mit einer FAT32-Partition von %1 GB formatieren und den Rest ungenutzt lassen? Dateien darüber hinaus gingen auf diesem Laufwerk verloren.</translation>
    </message>
    <message>
        <source>Format %1 GB</source>
        <translation>%1 GB formatieren</translation>
    </message>
    <message>
        <source>%1 holds data in all of its %2 GB. The test left test data on it.</source>
        <translation>%1 speichert Daten auf allen seinen %2 GB. Der Test hat Testdaten darauf hinterlassen.</translation>
    </message>
    <message>
        <source>%1 holds data only in its first %2 GB of %3 GB.</source>
        <translation>%1 speichert Daten nur in den ersten %2 GB von %3 GB.</translation>
    </message>
    <message>
        <source>%1 loses data in places from %2 GB on; its first %2 GB of %3 GB hold data.</source>
        <translation>%1 verliert ab %2 GB stellenweise Daten; die ersten %2 GB von %3 GB speichern Daten.</translation>
    </message>
</context>
<context>
    <name>CliArgumentParser</name>
    <message>
        <source>the report of a drive and its first partition</source>
        <translation>der Bericht über ein Laufwerk und seine erste Partition</translation>
    </message>
    <message>
        <source>erase a drive: MBR partition table, one FAT32 partition</source>
        <translation>ein Laufwerk löschen: MBR-Partitionstabelle, eine FAT32-Partition</translation>
    </message>
    <message>
        <source>this text</source>
        <translation>dieser Text</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 nimmt keinen Wert</translation>
    </message>
    <message>
        <source>%1 is given more than once</source>
        <translation>%1 ist mehrfach angegeben</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>unbekannter Befehl „%1“</translation>
    </message>
    <message>
        <source>%1 does not take %2</source>
        <translation>%1 nimmt kein %2</translation>
    </message>
    <message>
        <source>%1 needs a DEVICE, such as sdb</source>
        <translation>%1 braucht ein DEVICE, etwa sdb</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <source>erase a drive to test how much of it really holds data</source>
        <translation>ein Laufwerk löschen, um zu prüfen, wie viel davon wirklich Daten speichert</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a cluster size: use default, 512, 1K, 2K, 4K, 8K, 16K, 32K or 64K</source>
        <translation>„%1“ ist keine Clustergröße: default, 512, 1K, 2K, 4K, 8K, 16K, 32K oder 64K verwenden</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a partition size: give bytes, or a number with K, M, G or T (powers of 1024) or KB, MB, GB or TB (powers of 1000), such as 8G</source>
        <translation>„%1“ ist keine Partitionsgröße: Bytes angeben oder eine Zahl mit K, M, G oder T (Potenzen von 1024) oder KB, MB, GB oder TB (Potenzen von 1000), etwa 8G</translation>
    </message>
    <message>
        <source>the drives Tessaro may work on, as a table; --all: every device, with why it is not offered</source>
        <translation>die Laufwerke, die Tessaro bearbeiten darf, als Tabelle; --all: jedes Gerät, mit dem Grund, warum es nicht angeboten wird</translation>
    </message>
    <message>
        <source>check and repair the FAT file system on a drive; -n, --read-only: only check it, change nothing</source>
        <translation>das FAT-Dateisystem auf einem Laufwerk prüfen und reparieren; -n, --read-only: nur prüfen, nichts ändern</translation>
    </message>
</context>
<context>
    <name>CliHelpText</name>
    <message>
        <source>print JSON instead of lines</source>
        <translation>JSON statt Zeilen ausgeben</translation>
    </message>
    <message>
        <source>volume name, upper-cased; UNTITLED when blank</source>
        <translation>Volumebezeichnung, in Großbuchstaben; UNTITLED, wenn leer</translation>
    </message>
    <message>
        <source>erase without asking; needed without a terminal</source>
        <translation>ohne Rückfrage löschen; ohne Terminal erforderlich</translation>
    </message>
    <message>
        <source>this text</source>
        <translation>dieser Text</translation>
    </message>
    <message>
        <source>the version</source>
        <translation>die Version</translation>
    </message>
    <message>
        <source>the command line cannot be read</source>
        <translation>die Befehlszeile ist nicht lesbar</translation>
    </message>
    <message>
        <source>administrator rights were not granted</source>
        <translation>Administratorrechte wurden nicht gewährt</translation>
    </message>
    <message>
        <source>the drive does not hold what the format asked for</source>
        <translation>das Laufwerk enthält nicht, was die Formatierung verlangt hat</translation>
    </message>
    <message>
        <source>
See tessaro-cli(1) for more.
</source>
        <translation>
Mehr dazu in tessaro-cli(1).
</translation>
    </message>
    <message>
        <source>probe: the drive holds less than it claims</source>
        <translation>probe: das Laufwerk fasst weniger, als es angibt</translation>
    </message>
    <message>
        <source>list every block device, with why it is not offered</source>
        <translation>jedes Blockgerät auflisten, mit dem Grund, warum es nicht angeboten wird</translation>
    </message>
    <message>
        <source>cluster size: default, 512, 1K, 2K, 4K, 8K, 16K, 32K or 64K (or in bytes: 512 ... 65536)</source>
        <translation>Clustergröße: default, 512, 1K, 2K, 4K, 8K, 16K, 32K oder 64K (oder in Bytes: 512 … 65536)</translation>
    </message>
    <message>
        <source>partition size, such as what probe found usable: bytes, or K, M, G, T (powers of 1024; also KiB ... TiB) or KB, MB, GB, TB (powers of 1000) after the number, such as 8G</source>
        <translation>Partitionsgröße, etwa was probe als nutzbar befunden hat: Bytes, oder K, M, G, T (Potenzen von 1024; auch KiB … TiB) oder KB, MB, GB, TB (Potenzen von 1000) nach der Zahl, etwa 8G</translation>
    </message>
    <message>
        <source>standard output could not be written</source>
        <translation>die Standardausgabe konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>list: leave out the table&apos;s header line</source>
        <translation>list: die Kopfzeile der Tabelle weglassen</translation>
    </message>
    <message>
        <source>check: only check, as fsck.fat -n; nothing is changed</source>
        <translation>check: nur prüfen, wie fsck.fat -n; nichts wird geändert</translation>
    </message>
    <message>
        <source>
Exit status, the same for every command (check&apos;s are fsck&apos;s: 0, 1, 4, 8):
</source>
        <translation>
Exit-Status, für jeden Befehl gleich (bei check die von fsck: 0, 1, 4, 8):
</translation>
    </message>
    <message>
        <source>success; check: no errors were found</source>
        <translation>Erfolg; check: keine Fehler gefunden</translation>
    </message>
    <message>
        <source>check: errors were found and corrected</source>
        <translation>check: Fehler wurden gefunden und behoben</translation>
    </message>
    <message>
        <source>refused: bad name, cluster size or device, a drive no longer attached, or not confirmed; nothing written</source>
        <translation>abgelehnt: ungültige Bezeichnung, Clustergröße oder ungültiges Gerät, ein nicht mehr angeschlossenes Laufwerk, oder nicht bestätigt; nichts geschrieben</translation>
    </message>
    <message>
        <source>check: errors were found and left in the file system</source>
        <translation>check: Fehler wurden gefunden und bleiben im Dateisystem</translation>
    </message>
    <message>
        <source>a tool failed or could not be started, or the drive stopped responding</source>
        <translation>ein Programm ist fehlgeschlagen oder konnte nicht gestartet werden, oder das Laufwerk antwortet nicht mehr</translation>
    </message>
    <message>
        <source>cancelled by Ctrl+C or SIGTERM (128 and the signal&apos;s number)</source>
        <translation>abgebrochen mit Strg+C oder SIGTERM (128 und die Nummer des Signals)</translation>
    </message>
    <message>
        <source>
Output: the tools&apos; lines on standard output, exactly as they printed them;
each failure, refusal and warning as one line on standard error. With --json,
standard output holds one JSON document, a failure included; its keys are
lsblk&apos;s, in lower case with - between words.
</source>
        <translation>
Ausgabe: die Zeilen der Programme auf der Standardausgabe, genau wie sie sie
ausgegeben haben; jeder Fehler, jede Ablehnung und jede Warnung als eine Zeile
auf der Standardfehlerausgabe. Mit --json enthält die Standardausgabe ein
JSON-Dokument, auch bei einem Fehler; seine Schlüssel sind die von lsblk,
kleingeschrieben mit - zwischen den Wörtern.
</translation>
    </message>
    <message>
        <source>probe: write and read back every block, not samples (hours)</source>
        <translation>probe: jeden Block schreiben und zurücklesen, nicht nur Stichproben (dauert Stunden)</translation>
    </message>
    <message>
        <source>probe: the drive loses data in places</source>
        <translation>probe: das Laufwerk verliert stellenweise Daten</translation>
    </message>
    <message>
        <source>probe: the drive refused writes or stopped storing them</source>
        <translation>probe: das Laufwerk hat Schreibvorgänge abgelehnt oder nicht mehr gespeichert</translation>
    </message>
    <message>
        <source>Usage: tessaro-cli COMMAND [DEVICE...] [OPTIONS]
Prepares external and removable drives for FAT32.

Commands:
</source>
        <translation>Aufruf: tessaro-cli BEFEHL [DEVICE...] [OPTIONEN]
Bereitet externe Laufwerke und Wechsellaufwerke für FAT32 vor.

Befehle:
</translation>
    </message>
    <message>
        <source>
DEVICE is a drive that `tessaro-cli list` shows, as sdb or /dev/sdb, or a loop
device named explicitly (an image attached with losetup); `tessaro-cli list
--all` says why any other device is not offered. check, format and probe take
several drives at once: each is checked first, one question lists them all
(type their number to confirm), rights are asked once, and a table ends it.

Options:
</source>
        <translation>
DEVICE ist ein Laufwerk, das `tessaro-cli list` anzeigt, als sdb oder /dev/sdb,
oder ein ausdrücklich genanntes Loop-Gerät (ein mit losetup angebundenes
Abbild); `tessaro-cli list --all` sagt, warum ein anderes Gerät nicht angeboten
wird. check, format und probe nehmen mehrere Laufwerke zugleich: Jedes wird
zuerst geprüft, eine Frage nennt alle (zum Bestätigen ihre Anzahl eingeben),
Rechte werden einmal erbeten, und eine Tabelle schließt ab.

Optionen:
</translation>
    </message>
    <message>
        <source>several drives failed in different ways; the table gives each one&apos;s</source>
        <translation>mehrere Laufwerke sind auf verschiedene Weise gescheitert; die Tabelle nennt den Status jedes einzelnen</translation>
    </message>
</context>
<context>
    <name>CliOutput</name>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>Standardausgabe kann nicht geschrieben werden: %1</translation>
    </message>
</context>
<context>
    <name>ClusterOption</name>
    <message>
        <source>Default</source>
        <extracomment>The cluster size menu&apos;s entry that lets the formatter choose.</extracomment>
        <translation>Standard</translation>
    </message>
</context>
<context>
    <name>DesktopCommandLine</name>
    <message>
        <source>Usage: tessaro [OPTION]
Formats external and removable drives as FAT32, in a window.

  -h, --help     show this help and exit
  -v, --version  show the version and exit

Qt&apos;s own options (-platform, -style, ...) are accepted as well.
For the command line without a window, see: tessaro-cli --help
</source>
        <translation>Aufruf: tessaro [OPTION]
Formatiert externe Laufwerke und Wechsellaufwerke als FAT32, in einem Fenster.

  -h, --help     diese Hilfe zeigen und beenden
  -v, --version  die Version zeigen und beenden

Auch die Optionen von Qt (-platform, -style, ...) werden angenommen.
Für die Befehlszeile ohne Fenster siehe: tessaro-cli --help
</translation>
    </message>
    <message>
        <source>Run tessaro --help for the options.</source>
        <translation>tessaro --help zeigt die Optionen.</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
</context>
<context>
    <name>DiskManager</name>
    <message>
        <source>lsblk not found: install util-linux</source>
        <translation>lsblk nicht gefunden: bitte util-linux installieren</translation>
    </message>
    <message>
        <source>%1 not found</source>
        <translation>%1 nicht gefunden</translation>
    </message>
    <message>
        <source>%1 failed with exit status %2</source>
        <translation>%1 ist mit Exit-Status %2 fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 failed with exit status %2: %3</source>
        <translation>%1 ist mit Exit-Status %2 fehlgeschlagen: %3</translation>
    </message>
</context>
<context>
    <name>DiskTools</name>
    <message>
        <source>No partition identifier found</source>
        <translation>Keine Partitionskennung gefunden</translation>
    </message>
    <message>
        <source>Formatting only part of a drive is not available on macOS yet.</source>
        <translation>Nur einen Teil eines Laufwerks zu formatieren ist unter macOS noch nicht möglich.</translation>
    </message>
</context>
<context>
    <name>DriveFactsJson</name>
    <message>
        <source>the drive&apos;s facts could not be read: %1</source>
        <translation>die Angaben zum Laufwerk konnten nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>EraseConfirmation</name>
    <message>
        <source>Erase drive?</source>
        <translation>Laufwerk löschen?</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Test the capacity?</source>
        <translation>Kapazität testen?</translation>
    </message>
    <message>
        <source>For a drive of this size it takes about %1 min (an estimate).</source>
        <translation>Bei einem Laufwerk dieser Größe dauert er etwa %1 Min. (geschätzt).</translation>
    </message>
    <message>
        <source>Erase and Test</source>
        <translation>Löschen und testen</translation>
    </message>
    <message>
        <source>Write and check every block (about %1 min): finds every bad place, and any cache</source>
        <translation>Jeden Block schreiben und prüfen (etwa %1 Min.): findet jede defekte Stelle und jeden Cache</translation>
    </message>
    <message>
        <source>Erase drives?</source>
        <translation>Laufwerke löschen?</translation>
    </message>
    <message>
        <source>Erase All</source>
        <translation>Alle löschen</translation>
    </message>
    <message>
        <source>Erase and Test All</source>
        <translation>Alle löschen und testen</translation>
    </message>
</context>
<context>
    <name>EraseQuestion</name>
    <message>
        <source>Erase %1?</source>
        <translation>%1 löschen?</translation>
    </message>
    <message>
        <source>All data on this drive will be erased. This cannot be undone.</source>
        <translation>Alle Daten auf diesem Laufwerk werden gelöscht. Das kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>%1 KiB</source>
        <translation>%1 KiB</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>Volume name: %1</source>
        <translation>Volumebezeichnung: %1</translation>
    </message>
    <message>
        <source>Cluster size: %1</source>
        <translation>Clustergröße: %1</translation>
    </message>
    <message>
        <source>Cluster size: %1, the default for this drive</source>
        <translation>Clustergröße: %1, der Standard für dieses Laufwerk</translation>
    </message>
    <message>
        <source>Cluster size: the default for the drive&apos;s size</source>
        <translation>Clustergröße: Standard für die Größe des Laufwerks</translation>
    </message>
    <message>
        <source>Partition: %1 of the drive&apos;s %2; the rest stays unused</source>
        <translation>Partition: %1 der %2 des Laufwerks; der Rest bleibt ungenutzt</translation>
    </message>
    <message>
        <source>Partition: one FAT32 partition over the first %1 of the drive&apos;s %2, as far as an MBR partition table can address; the rest stays unused</source>
        <translation>Partition: eine FAT32-Partition über die ersten %1 der %2 des Laufwerks, so weit eine MBR-Partitionstabelle reicht; der Rest bleibt ungenutzt</translation>
    </message>
    <message>
        <source>Partition: one FAT32 partition over the whole drive</source>
        <translation>Partition: eine FAT32-Partition über das ganze Laufwerk</translation>
    </message>
    <message>
        <source>Test the capacity of %1?</source>
        <translation>Kapazität von %1 testen?</translation>
    </message>
    <message>
        <source>The capacity test writes test data across the whole drive, erasing all data on it. This cannot be undone. Afterwards the drive holds no file system and must be formatted before it can be used.</source>
        <translation>Der Kapazitätstest schreibt Testdaten über das ganze Laufwerk und löscht dabei alle Daten darauf. Das kann nicht rückgängig gemacht werden. Danach hat das Laufwerk kein Dateisystem mehr und muss formatiert werden, bevor es benutzt werden kann.</translation>
    </message>
    <message numerus="yes">
        <source>Erase these %n drives?</source>
        <translation>
            <numerusform>Dieses %n Laufwerk löschen?</numerusform>
            <numerusform>Diese %n Laufwerke löschen?</numerusform>
        </translation>
    </message>
    <message>
        <source>All data on each of these drives will be erased. This cannot be undone.</source>
        <translation>Alle Daten auf jedem dieser Laufwerke werden gelöscht. Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message numerus="yes">
        <source>Test the capacity of these %n drives?</source>
        <translation>
            <numerusform>Die Kapazität dieses %n Laufwerks testen?</numerusform>
            <numerusform>Die Kapazität dieser %n Laufwerke testen?</numerusform>
        </translation>
    </message>
    <message>
        <source>The capacity test writes test data across each whole drive, erasing all data on it. This cannot be undone. Afterwards the drives hold no file system and must be formatted before they can be used.</source>
        <translation>Der Kapazitätstest schreibt Testdaten über jedes ganze Laufwerk und löscht dabei alle Daten darauf. Dies kann nicht rückgängig gemacht werden. Danach haben die Laufwerke kein Dateisystem und müssen formatiert werden, bevor sie verwendet werden können.</translation>
    </message>
</context>
<context>
    <name>FinishNotice</name>
    <message>
        <source>Format finished</source>
        <translation>Formatieren beendet</translation>
    </message>
    <message>
        <source>Format did not finish</source>
        <translation>Formatieren nicht abgeschlossen</translation>
    </message>
    <message>
        <source>Capacity test finished</source>
        <translation>Kapazitätstest beendet</translation>
    </message>
    <message>
        <source>Capacity test did not finish</source>
        <translation>Kapazitätstest nicht abgeschlossen</translation>
    </message>
    <message>
        <source>Check finished</source>
        <translation>Prüfung beendet</translation>
    </message>
    <message>
        <source>Check did not finish</source>
        <translation>Prüfung nicht abgeschlossen</translation>
    </message>
</context>
<context>
    <name>FormatRequestRules</name>
    <message>
        <source>en_US</source>
        <extracomment>The locale whose digit grouping the cluster counts use.</extracomment>
        <translation>de_DE</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <extracomment>The last of several choices: &quot;512, 1024 or 2048&quot;.</extracomment>
        <translation>%1 oder %2</translation>
    </message>
    <message>
        <source>The volume name may not contain %1; remove it.</source>
        <translation>Die Volumebezeichnung darf %1 nicht enthalten; bitte entfernen.</translation>
    </message>
    <message>
        <source>The volume name may not begin with a blank.</source>
        <translation>Die Volumebezeichnung darf nicht mit einem Leerzeichen beginnen.</translation>
    </message>
    <message>
        <source>The volume name may not end with a blank; remove it.</source>
        <translation>Die Volumebezeichnung darf nicht mit einem Leerzeichen enden; bitte entfernen.</translation>
    </message>
    <message>
        <source>&quot;NO NAME&quot; is how a drive without a name reads; choose another volume name.</source>
        <translation>„NO NAME“ steht für ein Laufwerk ohne Bezeichnung; bitte eine andere Volumebezeichnung wählen.</translation>
    </message>
    <message>
        <source>The volume name may hold only printable ASCII characters; %1 is not one.</source>
        <translation>Die Volumebezeichnung darf nur druckbare ASCII-Zeichen enthalten; %1 gehört nicht dazu.</translation>
    </message>
    <message>
        <source>The volume name %1 is %2 characters long; FAT32 allows at most 11.</source>
        <translation>Die Volumebezeichnung %1 ist %2 Zeichen lang; FAT32 erlaubt höchstens 11.</translation>
    </message>
    <message>
        <source>The volume name %1 takes %2 bytes; FAT32 allows at most 11.</source>
        <translation>Die Volumebezeichnung %1 belegt %2 Bytes; FAT32 erlaubt höchstens 11.</translation>
    </message>
    <message>
        <source>The volume name may not hold control characters.</source>
        <translation>Die Volumebezeichnung darf keine Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>A cluster size of %1 bytes is not offered: choose a power of two from 512 to 65536.</source>
        <translation>Eine Clustergröße von %1 Bytes wird nicht angeboten: bitte eine Zweierpotenz von 512 bis 65536 wählen.</translation>
    </message>
    <message>
        <source>The drive reports no usable logical sector size (a power of two from 512 to 65,536 bytes), so its partition cannot be sized; it is not formatted.</source>
        <translation>Das Laufwerk meldet keine verwendbare logische Sektorgröße (eine Zweierpotenz von 512 bis 65.536 Bytes), daher lässt sich seine Partition nicht bemessen; es wird nicht formatiert.</translation>
    </message>
    <message>
        <source>A cluster size of %1 bytes gives %2 clusters on this drive, but FAT32 needs %3 to %4.</source>
        <translation>Eine Clustergröße von %1 Bytes ergibt auf diesem Laufwerk %2 Cluster, FAT32 braucht aber %3 bis %4.</translation>
    </message>
    <message>
        <source>The default cluster size (%1 bytes) gives %2 clusters on this drive, but FAT32 needs %3 to %4.</source>
        <translation>Die Standard-Clustergröße (%1 Bytes) ergibt auf diesem Laufwerk %2 Cluster, FAT32 braucht aber %3 bis %4.</translation>
    </message>
    <message>
        <source>No cluster size fits: the drive is too small for FAT32.</source>
        <translation>Keine Clustergröße passt: Das Laufwerk ist für FAT32 zu klein.</translation>
    </message>
    <message>
        <source>Choose %1.</source>
        <translation>Bitte %1 wählen.</translation>
    </message>
    <message>
        <source>A partition size of %1 bytes is less than 1 MiB.</source>
        <translation>Eine Partitionsgröße von %1 Bytes ist kleiner als 1 MiB.</translation>
    </message>
    <message>
        <source>A partition of %1 bytes does not fit on the drive: after its first MiB it has room for %2 bytes.</source>
        <translation>Eine Partition von %1 Bytes passt nicht auf das Laufwerk: Nach seinem ersten MiB bietet es Platz für %2 Bytes.</translation>
    </message>
    <message>
        <source>Only the first %1 of %2 can be used: an MBR partition table cannot address more.</source>
        <translation>Nur die ersten %1 von %2 sind nutzbar: Eine MBR-Partitionstabelle kann nicht mehr adressieren.</translation>
    </message>
</context>
<context>
    <name>HelperFailure</name>
    <message>
        <source>the drive changed while it was being formatted</source>
        <translation>das Laufwerk hat sich während des Formatierens verändert</translation>
    </message>
    <message>
        <source>the drive changed while it was being checked</source>
        <translation>das Laufwerk hat sich während der Prüfung verändert</translation>
    </message>
    <message>
        <source>the drive changed while it was being read</source>
        <translation>das Laufwerk hat sich während des Lesens verändert</translation>
    </message>
    <message>
        <source>the helper did not accept the request</source>
        <translation>das Hilfsprogramm hat die Anfrage nicht angenommen</translation>
    </message>
    <message>
        <source>the drive is not one Tessaro may change</source>
        <translation>Tessaro darf dieses Laufwerk nicht verändern</translation>
    </message>
    <message>
        <source>the drive does not hold what was asked</source>
        <translation>das Laufwerk enthält nicht, was verlangt wurde</translation>
    </message>
    <message>
        <source>the drive is in use by another program</source>
        <translation>das Laufwerk wird von einem anderen Programm verwendet</translation>
    </message>
    <message>
        <source>a program it needs is not installed</source>
        <translation>ein benötigtes Programm ist nicht installiert</translation>
    </message>
    <message>
        <source>a tool failed</source>
        <translation>ein Programm ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>it was cancelled</source>
        <translation>der Vorgang wurde abgebrochen</translation>
    </message>
    <message>
        <source>the drive changed while it was being tested</source>
        <translation>das Laufwerk hat sich während des Tests verändert</translation>
    </message>
    <message>
        <source>the volume name, cluster size or partition size cannot be used on this drive</source>
        <translation>die Volumebezeichnung, Clustergröße oder Partitionsgröße ist auf diesem Laufwerk nicht verwendbar</translation>
    </message>
    <message>
        <source>the drive holds less than it claims</source>
        <translation>das Laufwerk fasst weniger, als es angibt</translation>
    </message>
    <message>
        <source>the drive stopped responding</source>
        <translation>das Laufwerk hat aufgehört zu antworten</translation>
    </message>
    <message>
        <source>the drive loses data in places</source>
        <translation>das Laufwerk verliert stellenweise Daten</translation>
    </message>
    <message>
        <source>the drive refused writes or stopped storing them</source>
        <translation>das Laufwerk hat Schreibvorgänge abgelehnt oder nicht mehr gespeichert</translation>
    </message>
</context>
<context>
    <name>InfoReport</name>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Device: %1</source>
        <translation>Gerät: %1</translation>
    </message>
    <message>
        <source>Model: %1   Bus: %2</source>
        <translation>Modell: %1   Bus: %2</translation>
    </message>
    <message>
        <source>Removable: %1   Ejectable: %2   Whole Disk: %3</source>
        <translation>Wechselmedium: %1   Auswerfbar: %2   Ganzer Datenträger: %3</translation>
    </message>
    <message>
        <source>Part of Whole: %1</source>
        <translation>Teil von: %1</translation>
    </message>
    <message>
        <source>Device Block Size: %1 Bytes</source>
        <translation>Blockgröße des Geräts: %1 Bytes</translation>
    </message>
    <message>
        <source>Disk Size: %1 (%2 Bytes)</source>
        <translation>Größe des Datenträgers: %1 (%2 Bytes)</translation>
    </message>
    <message>
        <source>Partition Info:</source>
        <translation>Partitionsinformationen:</translation>
    </message>
    <message>
        <source>Volume Name: %1</source>
        <translation>Volumebezeichnung: %1</translation>
    </message>
    <message>
        <source>Filesystem: %1</source>
        <translation>Dateisystem: %1</translation>
    </message>
    <message>
        <source>Mounted: %1   Mount Point: %2</source>
        <translation>Eingehängt: %1   Einhängepunkt: %2</translation>
    </message>
    <message>
        <source>Filesystem Block Size: %1 Bytes</source>
        <translation>Blockgröße des Dateisystems: %1 Bytes</translation>
    </message>
    <message>
        <source>Disk Image</source>
        <translation>Datenträgerabbild</translation>
    </message>
    <message>
        <source>en_US</source>
        <translation>de_DE</translation>
    </message>
</context>
<context>
    <name>Job</name>
    <message>
        <source>Unexpected failure</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
</context>
<context>
    <name>LinuxBlockDevices</name>
    <message>
        <source>lsblk output could not be read: %1</source>
        <translation>Die Ausgabe von lsblk konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>lsblk output could not be read: no &quot;blockdevices&quot; list</source>
        <translation>Die Ausgabe von lsblk konnte nicht gelesen werden: keine „blockdevices“-Liste</translation>
    </message>
    <message>
        <source>lsblk output could not be read: devices nested too deep</source>
        <translation>Die Ausgabe von lsblk konnte nicht gelesen werden: Geräte zu tief verschachtelt</translation>
    </message>
</context>
<context>
    <name>NotOfferedReason</name>
    <message>
        <source>internal disk</source>
        <translation>interner Datenträger</translation>
    </message>
    <message>
        <source>holds swap space</source>
        <translation>enthält Auslagerungsspeicher</translation>
    </message>
    <message>
        <source>holds %1</source>
        <extracomment>%1 is a mount point of the running system, such as / or /boot/efi.</extracomment>
        <translation>enthält %1</translation>
    </message>
    <message>
        <source>part of an LVM, RAID or encrypted volume</source>
        <translation>Teil eines LVM-, RAID- oder verschlüsselten Volumes</translation>
    </message>
    <message>
        <source>loop device: name it explicitly</source>
        <translation>Loop-Gerät: ausdrücklich nennen</translation>
    </message>
    <message>
        <source>virtual device</source>
        <translation>virtuelles Gerät</translation>
    </message>
    <message>
        <source>a partition of %1</source>
        <translation>eine Partition von %1</translation>
    </message>
    <message>
        <source>a volume on %1</source>
        <translation>ein Volume auf %1</translation>
    </message>
    <message>
        <source>optical drive</source>
        <translation>optisches Laufwerk</translation>
    </message>
    <message>
        <source>no medium</source>
        <translation>kein Medium</translation>
    </message>
    <message>
        <source>read-only</source>
        <translation>schreibgeschützt</translation>
    </message>
    <message>
        <source>not a disk (%1)</source>
        <translation>kein Datenträger (%1)</translation>
    </message>
</context>
<context>
    <name>NumberLocale</name>
    <message>
        <source>en_US</source>
        <extracomment>The locale whose numbers Tessaro shows (decimal point, digit grouping).</extracomment>
        <translation>de_DE</translation>
    </message>
</context>
<context>
    <name>PkexecRunner</name>
    <message>
        <source>%1 was not found. Install polkit (pkexec) to work on drives.</source>
        <translation>%1 wurde nicht gefunden. Bitte polkit (pkexec) installieren, um Laufwerke zu bearbeiten.</translation>
    </message>
</context>
<context>
    <name>PlainText</name>
    <message>
        <source>Warning:</source>
        <translation>Warnung:</translation>
    </message>
</context>
<context>
    <name>PrivilegedRunner</name>
    <message>
        <source>Authorization failed (%1)</source>
        <translation>Autorisierung fehlgeschlagen (%1)</translation>
    </message>
</context>
<context>
    <name>ProbeProgress</name>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>%1 %, about %2 s left</source>
        <translation>%1 %, noch etwa %2 s</translation>
    </message>
    <message>
        <source>%1 %, about %2 min left</source>
        <translation>%1 %, noch etwa %2 min</translation>
    </message>
    <message>
        <source>en_US</source>
        <extracomment>The locale whose decimal point the speed uses.</extracomment>
        <translation>de_DE</translation>
    </message>
    <message>
        <source>%1 (%2 MB/s)</source>
        <extracomment>%1 is what is done and left, %2 the speed in MB/s.</extracomment>
        <translation>%1 (%2 MB/s)</translation>
    </message>
</context>
<context>
    <name>PropertyList</name>
    <message>
        <source>The data couldn&apos;t be read because it is a binary property list; only the XML form is read.</source>
        <translation>Die Daten konnten nicht gelesen werden, weil sie eine binäre Property-List sind; nur die XML-Form wird gelesen.</translation>
    </message>
    <message>
        <source>The data couldn&apos;t be read because it isn&apos;t in the correct format.</source>
        <translation>Die Daten konnten nicht gelesen werden, weil sie nicht das richtige Format haben.</translation>
    </message>
    <message>
        <source>The data couldn&apos;t be read because it isn&apos;t in the correct format (text after the property list).</source>
        <translation>Die Daten konnten nicht gelesen werden, weil sie nicht das richtige Format haben (Text nach der Property-List).</translation>
    </message>
</context>
<context>
    <name>ReportTexts</name>
    <message>
        <source>udisksctl (udisks2) is not installed.</source>
        <translation>udisksctl (udisks2) ist nicht installiert.</translation>
    </message>
    <message>
        <source>Refreshing drives...</source>
        <translation>Laufwerke werden aktualisiert …</translation>
    </message>
    <message numerus="yes">
        <source>Found %n external/removable drive(s).</source>
        <translation>
            <numerusform>%n externes Laufwerk/Wechsellaufwerk gefunden.</numerusform>
            <numerusform>%n externe Laufwerke/Wechsellaufwerke gefunden.</numerusform>
        </translation>
    </message>
    <message>
        <source>Error refreshing drives: %1</source>
        <translation>Fehler beim Aktualisieren der Laufwerke: %1</translation>
    </message>
    <message>
        <source>Drive removed: %1</source>
        <translation>Laufwerk entfernt: %1</translation>
    </message>
    <message>
        <source>Starting format of %1 as FAT32.</source>
        <translation>Formatierung von %1 als FAT32 beginnt.</translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <source>Cancelled: nothing was written to %1.</source>
        <translation>Abgebrochen: Auf %1 wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>Cancelled: the format of %1 stopped part way; the drive is incomplete and must be formatted again.</source>
        <translation>Abgebrochen: Die Formatierung von %1 wurde mittendrin angehalten; das Laufwerk ist unvollständig und muss erneut formatiert werden.</translation>
    </message>
    <message>
        <source>Cancelled: the drive list was not refreshed.</source>
        <translation>Abgebrochen: Die Laufwerksliste wurde nicht aktualisiert.</translation>
    </message>
    <message>
        <source>Cancelled: nothing was checked on %1.</source>
        <translation>Abgebrochen: Auf %1 wurde nichts geprüft.</translation>
    </message>
    <message>
        <source>Cancelled: the check of %1 stopped part way; check it again before relying on it.</source>
        <translation>Abgebrochen: Die Prüfung von %1 wurde mittendrin angehalten; vor der weiteren Verwendung erneut prüfen.</translation>
    </message>
    <message>
        <source>Cancelled: no information was read from %1.</source>
        <translation>Abgebrochen: Von %1 wurden keine Informationen gelesen.</translation>
    </message>
    <message>
        <source>The drive is formatted and not mounted: %1</source>
        <translation>Das Laufwerk ist formatiert und nicht eingehängt: %1</translation>
    </message>
    <message>
        <source>Format complete for %1 on %2</source>
        <translation>Formatierung von %1 auf %2 abgeschlossen</translation>
    </message>
    <message>
        <source>Running disk checking operation on %1...</source>
        <translation>Datenträgerprüfung auf %1 läuft …</translation>
    </message>
    <message>
        <source>Using partition %1 for repair</source>
        <translation>Partition %1 wird für die Reparatur verwendet</translation>
    </message>
    <message>
        <source>No partition found, using whole disk %1</source>
        <translation>Keine Partition gefunden, der ganze Datenträger %1 wird verwendet</translation>
    </message>
    <message>
        <source>Not mounted: %1</source>
        <translation>Nicht eingehängt: %1</translation>
    </message>
    <message>
        <source>Reading info for %1...</source>
        <translation>Informationen zu %1 werden gelesen …</translation>
    </message>
    <message>
        <source>Starting capacity test of %1.</source>
        <translation>Kapazitätstest von %1 wird gestartet.</translation>
    </message>
    <message>
        <source>Testing a drive&apos;s capacity is not available on this system yet.</source>
        <translation>Der Kapazitätstest ist auf diesem System noch nicht verfügbar.</translation>
    </message>
    <message>
        <source>The capacity test of %1 ended without a verdict that can be trusted; the drive holds test data: format it before using it.</source>
        <translation>Der Kapazitätstest von %1 endete ohne verlässliches Ergebnis; das Laufwerk enthält Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message>
        <source>Cancelled: the capacity test of %1 stopped part way; the drive holds test data: format it before using it.</source>
        <translation>Abgebrochen: Der Kapazitätstest von %1 wurde mittendrin angehalten; das Laufwerk enthält Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message>
        <source>en_US</source>
        <extracomment>The locale whose decimal point the sizes in gigabytes use.</extracomment>
        <translation>de_DE</translation>
    </message>
    <message>
        <source>Reading info failed on %1: %2</source>
        <translation>Lesen der Informationen zu %1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Failed: %1 stopped responding during the capacity test, so there is no verdict on its capacity; the drive holds test data: format it before using it.</source>
        <translation>Fehlgeschlagen: %1 hat während des Kapazitätstests aufgehört zu antworten, daher gibt es kein Urteil über seine Kapazität; das Laufwerk enthält Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message>
        <source>Genuine: all %1 samples read back. The drive now holds test data: format it before using it.</source>
        <translation>Echt: Alle %1 Stichproben wurden korrekt zurückgelesen. Das Laufwerk enthält jetzt Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message>
        <source>Counterfeit: only the first %1 GB of %2 GB hold data. The drive now holds test data: format it before using it.</source>
        <translation>Gefälscht: Nur die ersten %1 GB von %2 GB speichern Daten. Das Laufwerk enthält jetzt Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message>
        <source>Format of %1 on %2 could not be verified: the drive may not hold what was asked; format it again.</source>
        <translation>Die Formatierung von %1 auf %2 konnte nicht überprüft werden: Das Laufwerk enthält möglicherweise nicht das Verlangte; bitte erneut formatieren.</translation>
    </message>
    <message>
        <source>The drive is no longer attached.</source>
        <translation>Das Laufwerk ist nicht mehr angeschlossen.</translation>
    </message>
    <message>
        <source>Format failed for %1 on %2.</source>
        <translation>Formatierung von %1 auf %2 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Format failed for %1 on %2: %3</source>
        <translation>Formatierung von %1 auf %2 fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>Verified: %1 table, partition type %2 at sector %3; %4, label &quot;%5&quot;, %6-byte clusters, %7 clusters</source>
        <translation>Geprüft: %1-Tabelle, Partitionstyp %2 ab Sektor %3; %4, Bezeichnung „%5“, Cluster zu %6 Bytes, %7 Cluster</translation>
    </message>
    <message>
        <source>; data area aligned to %1 MiB</source>
        <translation>; Datenbereich an %1 MiB ausgerichtet</translation>
    </message>
    <message>
        <source>; data area aligned to the cluster (%1 bytes)</source>
        <translation>; Datenbereich am Cluster (%1 Bytes) ausgerichtet</translation>
    </message>
    <message>
        <source>: as asked.</source>
        <translation>: wie verlangt.</translation>
    </message>
    <message>
        <source>Using partition %1 for a read-only check</source>
        <translation>Partition %1 wird nur lesend geprüft</translation>
    </message>
    <message>
        <source>Check failed on %1.</source>
        <translation>Prüfung von %1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Check failed on %1: %2</source>
        <translation>Prüfung von %1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Errors were found and corrected.</source>
        <translation>Fehler wurden gefunden und behoben.</translation>
    </message>
    <message>
        <source>No errors were found.</source>
        <translation>Es wurden keine Fehler gefunden.</translation>
    </message>
    <message>
        <source>Errors were found on %1 and not all of them could be corrected; copy what you need from it and format it.</source>
        <translation>Auf %1 wurden Fehler gefunden, die nicht alle behoben werden konnten; kopieren Sie, was Sie davon brauchen, und formatieren Sie es.</translation>
    </message>
    <message>
        <source>Errors were found on %1 and left as they are: this check changes nothing; one that repairs can correct them.</source>
        <translation>Auf %1 wurden Fehler gefunden und so belassen: Diese Prüfung ändert nichts; eine Prüfung mit Reparatur kann sie beheben.</translation>
    </message>
    <message>
        <source>Check complete.</source>
        <translation>Prüfung abgeschlossen.</translation>
    </message>
    <message>
        <source>Reading info failed on %1.</source>
        <translation>Lesen der Informationen zu %1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Capacity test failed on %1.</source>
        <translation>Kapazitätstest von %1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Capacity test failed on %1: %2</source>
        <translation>Kapazitätstest von %1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Starting full capacity test of %1: every block is written and read back.</source>
        <translation>Vollständiger Kapazitätstest von %1 wird gestartet: Jeder Block wird geschrieben und zurückgelesen.</translation>
    </message>
    <message>
        <source>%1 MB to %2 MB</source>
        <extracomment>A stretch of the drive, from one offset to another, in MB.</extracomment>
        <translation>%1 MB bis %2 MB</translation>
    </message>
    <message>
        <source>, </source>
        <extracomment>The separator between stretches of the drive in a list.</extracomment>
        <translation>, </translation>
    </message>
    <message numerus="yes">
        <source>Writes the drive refused, also when tried again: %n (%1 MB, the first at byte %2)</source>
        <translation>
            <numerusform>Vom Laufwerk auch beim zweiten Versuch abgelehnter Schreibvorgang: %n (%1 MB, bei Byte %2)</numerusform>
            <numerusform>Vom Laufwerk auch beim zweiten Versuch abgelehnte Schreibvorgänge: %n (%1 MB, der erste bei Byte %2)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Reads the drive failed, also when tried again: %n (%1 MB, the first at byte %2)</source>
        <translation>
            <numerusform>Vom Laufwerk auch beim zweiten Versuch verweigerter Lesevorgang: %n (%1 MB, bei Byte %2)</numerusform>
            <numerusform>Vom Laufwerk auch beim zweiten Versuch verweigerte Lesevorgänge: %n (%1 MB, der erste bei Byte %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>Genuine: every block read back as written. The drive now holds test data: format it before using it.</source>
        <translation>Echt: Jeder Block wurde so zurückgelesen, wie er geschrieben wurde. Das Laufwerk enthält jetzt Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message numerus="yes">
        <source>Damaged: data read back wrong between %1 MB and %2 MB, and in %n more place(s).</source>
        <translation>
            <numerusform>Beschädigt: Zwischen %1 MB und %2 MB und an %n weiteren Stelle wurden Daten falsch zurückgelesen.</numerusform>
            <numerusform>Beschädigt: Zwischen %1 MB und %2 MB und an %n weiteren Stellen wurden Daten falsch zurückgelesen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Damaged: data read back wrong between %1 MB and %2 MB.</source>
        <translation>Beschädigt: Zwischen %1 MB und %2 MB wurden Daten falsch zurückgelesen.</translation>
    </message>
    <message>
        <source>Do not trust the drive with data there. It now holds test data: format it before using it.</source>
        <translation>Dort keine Daten auf dem Laufwerk ablegen. Es enthält jetzt Testdaten: vor der Verwendung formatieren.</translation>
    </message>
    <message>
        <source>Failed: the drive refused writes after %1 MB.</source>
        <translation>Fehlgeschlagen: Das Laufwerk hat nach %1 MB das Schreiben verweigert.</translation>
    </message>
    <message>
        <source>Failed: the drive stopped storing data after %1 MB written.</source>
        <translation>Fehlgeschlagen: Das Laufwerk hat keine Daten mehr gespeichert, nachdem %1 MB geschrieben waren.</translation>
    </message>
    <message>
        <source>Do not trust it with data: it may keep none of what is written to it.</source>
        <translation>Keine Daten darauf ablegen: Es behält womöglich nichts von dem, was darauf geschrieben wird.</translation>
    </message>
    <message>
        <source>Claimed size: %1 bytes (%2 GB)</source>
        <translation>Angegebene Größe: %1 Bytes (%2 GB)</translation>
    </message>
    <message>
        <source>Usable capacity: %1 bytes (%2 GB)</source>
        <translation>Nutzbare Kapazität: %1 Bytes (%2 GB)</translation>
    </message>
    <message>
        <source>Held data from the start up to byte %1 (%2 GB)</source>
        <translation>Speichert Daten vom Anfang bis Byte %1 (%2 GB)</translation>
    </message>
    <message>
        <source>First bad offset: %1</source>
        <translation>Erste fehlerhafte Position: %1</translation>
    </message>
    <message>
        <source>Data lost from %1</source>
        <translation>Daten verloren: %1</translation>
    </message>
    <message numerus="yes">
        <source>... and in %n more place(s) not listed</source>
        <translation>
            <numerusform>… und an %n weiteren, nicht aufgeführten Stelle</numerusform>
            <numerusform>… und an %n weiteren, nicht aufgeführten Stellen</numerusform>
        </translation>
    </message>
    <message>
        <source>Data held from %1</source>
        <translation>Daten gespeichert: %1</translation>
    </message>
    <message>
        <source>The drive took %1 MB, then refused every write</source>
        <translation>Das Laufwerk hat %1 MB angenommen und danach jeden Schreibvorgang abgelehnt</translation>
    </message>
    <message>
        <source>The drive kept what was written up to %1 MB, then none of it</source>
        <translation>Das Laufwerk hat das Geschriebene bis %1 MB behalten, danach nichts mehr</translation>
    </message>
    <message>
        <source>Blocks: %1 (%2 intact, %3 aliased, %4 lost)</source>
        <translation>Blöcke: %1 (%2 intakt, %3 an fremder Stelle, %4 verloren)</translation>
    </message>
    <message>
        <source>Samples: %1 (%2 intact, %3 aliased, %4 lost)</source>
        <translation>Stichproben: %1 (%2 intakt, %3 an fremder Stelle, %4 verloren)</translation>
    </message>
    <message>
        <source>Requests that failed once and went through when tried again: %1 writes, %2 reads</source>
        <translation>Beim ersten Versuch fehlgeschlagene, beim zweiten gelungene Zugriffe: %1 Schreib-, %2 Lesevorgänge</translation>
    </message>
    <message>
        <source>Written: %1 MB, read: %2 MB, in %3 s</source>
        <translation>Geschrieben: %1 MB, gelesen: %2 MB, in %3 s</translation>
    </message>
    <message>
        <source>Write cache: about %1 MB answered reads of data it did not store</source>
        <translation>Schreibcache: etwa %1 MB beantworteten Lesezugriffe auf Daten, die nicht gespeichert waren</translation>
    </message>
    <message>
        <source>Write cache: none of up to %1 MB hides missing capacity; only the full test rules out a larger one</source>
        <translation>Schreibcache: Keiner mit bis zu %1 MB verbirgt fehlende Kapazität; nur der vollständige Test schließt einen größeren aus</translation>
    </message>
    <message>
        <source>Write cache: every block was written before any was read back</source>
        <translation>Schreibcache: Jeder Block wurde geschrieben, bevor einer zurückgelesen wurde</translation>
    </message>
    <message>
        <source>(not measured)</source>
        <translation>(nicht gemessen)</translation>
    </message>
    <message>
        <source>Sequential speed: writing %1 MB/s, reading %2 MB/s (from the writes the drive took; it refused some)</source>
        <translation>Sequenzielle Geschwindigkeit: Schreiben %1 MB/s, Lesen %2 MB/s (aus den angenommenen Schreibvorgängen; einige hat das Laufwerk abgelehnt)</translation>
    </message>
    <message>
        <source>Sequential speed: writing %1 MB/s, reading %2 MB/s</source>
        <translation>Sequenzielle Geschwindigkeit: Schreiben %1 MB/s, Lesen %2 MB/s</translation>
    </message>
    <message>
        <source>The old partition table of %1 could not be cleared, or the system still lists its partitions: unplug the drive and plug it in again before formatting it.</source>
        <translation>Die alte Partitionstabelle von %1 ließ sich nicht löschen, oder das System führt noch seine Partitionen: das Laufwerk vor dem Formatieren abziehen und wieder anschließen.</translation>
    </message>
</context>
<context>
    <name>StatusLog</name>
    <message>
        <source>en_US</source>
        <extracomment>The locale whose digit grouping the count of dropped lines uses.</extracomment>
        <translation>de_DE</translation>
    </message>
    <message>
        <source>[%1 earlier lines are not shown here; Save Log… keeps them all.]</source>
        <translation>[%1 frühere Zeilen werden hier nicht angezeigt; „Protokoll speichern …“ behält sie alle.]</translation>
    </message>
</context>
<context>
    <name>TerminalConfirmation</name>
    <message>
        <source>Type %1 to erase it: </source>
        <translation>Zum Löschen %1 eingeben: </translation>
    </message>
    <message>
        <source>Type %1 to erase it and test its capacity: </source>
        <translation>Zum Löschen und Testen der Kapazität %1 eingeben: </translation>
    </message>
</context>
<context>
    <name>TerminalReport</name>
    <message>
        <source>Progress: %1</source>
        <translation>Fortschritt: %1</translation>
    </message>
</context>
<context>
    <name>ToolAvailability</name>
    <message>
        <source>%1 and %2</source>
        <extracomment>The last of several programs: &quot;lsblk, wipefs and blkid&quot;.</extracomment>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>%1 not found: install %2, or a drive will not be mounted after it is formatted</source>
        <translation>%1 nicht gefunden: bitte %2 installieren, sonst wird ein Laufwerk nach dem Formatieren nicht eingehängt</translation>
    </message>
    <message>
        <source>%1 not found: install %2</source>
        <translation>%1 nicht gefunden: bitte %2 installieren</translation>
    </message>
</context>
<context>
    <name>UserMount</name>
    <message>
        <source>Not mounted: %1</source>
        <translation>Nicht eingehängt: %1</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Run tessaro-cli --help for the commands.</source>
        <translation>tessaro-cli --help zeigt die Befehle.</translation>
    </message>
</context>
<context>
    <name>tessaro::BatchDialog</name>
    <message>
        <source>Several Drives</source>
        <translation>Mehrere Laufwerke</translation>
    </message>
    <message>
        <source>Tick the drives to work on (Space ticks the current one):</source>
        <translation>Laufwerke ankreuzen, die bearbeitet werden sollen (die Leertaste kreuzt das aktuelle an):</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Laufwerke</translation>
    </message>
    <message>
        <source>&amp;Format All</source>
        <translation>Alle &amp;formatieren</translation>
    </message>
    <message>
        <source>&amp;Check All</source>
        <translation>Alle &amp;prüfen</translation>
    </message>
    <message>
        <source>&amp;Test Capacity of All</source>
        <translation>&amp;Kapazität aller testen</translation>
    </message>
    <message>
        <source>Cancel &amp;All</source>
        <translation>&amp;Alle abbrechen</translation>
    </message>
    <message>
        <source>Nothing was formatted:</source>
        <translation>Nichts wurde formatiert:</translation>
    </message>
    <message numerus="yes">
        <source>Formatting %n drives as FAT32.</source>
        <translation>
            <numerusform>%n Laufwerk wird als FAT32 formatiert.</numerusform>
            <numerusform>%n Laufwerke werden als FAT32 formatiert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Checking %n drives.</source>
        <translation>
            <numerusform>%n Laufwerk wird geprüft.</numerusform>
            <numerusform>%n Laufwerke werden geprüft.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Testing the capacity of %n drives.</source>
        <translation>
            <numerusform>Die Kapazität von %n Laufwerk wird getestet.</numerusform>
            <numerusform>Die Kapazität von %n Laufwerken wird getestet.</numerusform>
        </translation>
    </message>
    <message>
        <source>No drive was started.</source>
        <translation>Kein Laufwerk wurde begonnen.</translation>
    </message>
    <message>
        <source>Not started.</source>
        <translation>Nicht begonnen.</translation>
    </message>
    <message numerus="yes">
        <source>%n formatted</source>
        <translation>
            <numerusform>%n formatiert</numerusform>
            <numerusform>%n formatiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n checked</source>
        <translation>
            <numerusform>%n geprüft</numerusform>
            <numerusform>%n geprüft</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n genuine</source>
        <translation>
            <numerusform>%n echt</numerusform>
            <numerusform>%n echt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n failed</source>
        <translation>
            <numerusform>%n gescheitert</numerusform>
            <numerusform>%n gescheitert</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Stop %1</source>
        <translation>%1 anhalten</translation>
    </message>
    <message>
        <source>Stopped.</source>
        <translation>Angehalten.</translation>
    </message>
</context>
<context>
    <name>tessaro::BusyIndicator</name>
    <message>
        <source>%1 s</source>
        <extracomment>Seconds since the running action began.</extracomment>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>tessaro::CliApplication</name>
    <message>
        <source>Not confirmed: nothing on %1 was erased.</source>
        <translation>Nicht bestätigt: Auf %1 wurde nichts gelöscht.</translation>
    </message>
    <message>
        <source>Cancelling: waiting for the tools to stop...</source>
        <translation>Wird abgebrochen: Warten, bis die Programme anhalten …</translation>
    </message>
    <message>
        <source>To use it, format only the part that holds data: tessaro-cli format %1 --size %2</source>
        <translation>Um es zu verwenden, nur den Teil formatieren, der Daten speichert: tessaro-cli format %1 --size %2</translation>
    </message>
    <message>
        <source>no terminal to confirm the erase of %1 on; give --yes to erase it without asking.</source>
        <translation>Kein Terminal, um das Löschen von %1 zu bestätigen; mit --yes wird ohne Rückfrage gelöscht.</translation>
    </message>
    <message>
        <source>Unexpected failure</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a drive name: give it as sdb or /dev/sdb</source>
        <translation>„%1“ ist kein Laufwerksname: als sdb oder /dev/sdb angeben</translation>
    </message>
    <message>
        <source>%1 has no disk image attached</source>
        <translation>An %1 ist kein Abbild angebunden</translation>
    </message>
    <message>
        <source>%1 is not offered: %2</source>
        <translation>%1 wird nicht angeboten: %2</translation>
    </message>
    <message>
        <source>%1 is not an external or removable drive that Tessaro may use; tessaro-cli list shows those</source>
        <translation>%1 ist kein externes Laufwerk oder Wechsellaufwerk, das Tessaro verwenden darf; tessaro-cli list zeigt diese</translation>
    </message>
    <message>
        <source>%1: no such device</source>
        <translation>%1: Gerät existiert nicht</translation>
    </message>
    <message>
        <source>The part that holds data is too small to format as FAT32: %1</source>
        <translation>Der Teil, der Daten speichert, ist zu klein, um ihn als FAT32 zu formatieren: %1</translation>
    </message>
    <message>
        <source>To use it, format it: tessaro-cli format %1</source>
        <translation>Um es zu verwenden, das Laufwerk formatieren: tessaro-cli format %1</translation>
    </message>
    <message>
        <source>No format is offered: the drive failed the test.</source>
        <translation>Keine Formatierung angeboten: Das Laufwerk hat den Test nicht bestanden.</translation>
    </message>
    <message numerus="yes">
        <source>Not confirmed: nothing on the %n drives was erased.</source>
        <translation>
            <numerusform>Nicht bestätigt: Auf dem %n Laufwerk wurde nichts gelöscht.</numerusform>
            <numerusform>Nicht bestätigt: Auf den %n Laufwerken wurde nichts gelöscht.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>no terminal to confirm the erase of the %n drives on; give --yes to erase them without asking.</source>
        <translation>
            <numerusform>kein Terminal, um das Löschen des %n Laufwerks zu bestätigen; mit --yes wird es ohne Nachfrage gelöscht.</numerusform>
            <numerusform>kein Terminal, um das Löschen der %n Laufwerke zu bestätigen; mit --yes werden sie ohne Nachfrage gelöscht.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::CliBatch</name>
    <message>
        <source>%1 is named twice; name each drive once</source>
        <translation>%1 ist zweimal genannt; nennen Sie jedes Laufwerk einmal</translation>
    </message>
    <message>
        <source>%1 and %2 are the same disk; name each drive once</source>
        <translation>%1 und %2 sind dasselbe Laufwerk; nennen Sie jedes Laufwerk einmal</translation>
    </message>
    <message>
        <source>Nothing was started on %1.</source>
        <translation>Auf %1 wurde nichts begonnen.</translation>
    </message>
</context>
<context>
    <name>tessaro::ContentView</name>
    <message>
        <source>&amp;Refresh Drives</source>
        <translation>Laufwerke &amp;aktualisieren</translation>
    </message>
    <message>
        <source>Refresh Drives</source>
        <translation>Laufwerke aktualisieren</translation>
    </message>
    <message>
        <source>Looks again for attached external and removable drives</source>
        <translation>Sucht erneut nach angeschlossenen externen Laufwerken und Wechsellaufwerken</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>The external or removable drive to format, show or check</source>
        <translation>Das externe Laufwerk oder Wechsellaufwerk, das formatiert, angezeigt oder geprüft wird</translation>
    </message>
    <message>
        <source>Select External/Removable &amp;Drive</source>
        <translation>&amp;Externes Laufwerk/Wechsellaufwerk auswählen</translation>
    </message>
    <message>
        <source>VOLUME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>Volume name</source>
        <translation>Volumebezeichnung</translation>
    </message>
    <message>
        <source>Optional name of the new FAT32 volume; UNTITLED when left empty</source>
        <translation>Optionale Bezeichnung des neuen FAT32-Volumes; UNTITLED, wenn leer</translation>
    </message>
    <message>
        <source>&amp;Volume Name (optional)</source>
        <translation>&amp;Volumebezeichnung (optional)</translation>
    </message>
    <message>
        <source>Cluster Si&amp;ze</source>
        <translation>Cluster&amp;größe</translation>
    </message>
    <message>
        <source>Cluster size</source>
        <translation>Clustergröße</translation>
    </message>
    <message>
        <source>Bytes per cluster of the new file system; Default lets the formatter choose</source>
        <translation>Bytes pro Cluster im neuen Dateisystem; bei „Standard“ wählt das Formatierprogramm</translation>
    </message>
    <message>
        <source>Cluster Size (bytes)</source>
        <translation>Clustergröße (Bytes)</translation>
    </message>
    <message>
        <source>&amp;Format to FAT32</source>
        <translation>Als FAT32 &amp;formatieren</translation>
    </message>
    <message>
        <source>Format to FAT32</source>
        <translation>Als FAT32 formatieren</translation>
    </message>
    <message>
        <source>Erases the selected drive and creates one FAT32 partition on it</source>
        <translation>Löscht das ausgewählte Laufwerk und legt darauf eine FAT32-Partition an</translation>
    </message>
    <message>
        <source>Show &amp;Info</source>
        <translation>&amp;Info anzeigen</translation>
    </message>
    <message>
        <source>Show Info</source>
        <translation>Info anzeigen</translation>
    </message>
    <message>
        <source>Shows a report of the selected drive&apos;s properties</source>
        <translation>Zeigt einen Bericht über die Eigenschaften des ausgewählten Laufwerks</translation>
    </message>
    <message>
        <source>&amp;Precheck/Repair</source>
        <translation>&amp;Prüfen/Reparieren</translation>
    </message>
    <message>
        <source>Precheck/Repair</source>
        <translation>Prüfen/Reparieren</translation>
    </message>
    <message>
        <source>Checks the FAT file system on the selected drive and repairs it</source>
        <translation>Prüft das FAT-Dateisystem auf dem ausgewählten Laufwerk und repariert es</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stops the running action where it safely can</source>
        <translation>Hält den laufenden Vorgang an, sobald das gefahrlos möglich ist</translation>
    </message>
    <message>
        <source>Save &amp;Log…</source>
        <translation>Protokoll &amp;speichern …</translation>
    </message>
    <message>
        <source>Save Log</source>
        <translation>Protokoll speichern</translation>
    </message>
    <message>
        <source>Saves the whole status log to a text file</source>
        <translation>Speichert das ganze Statusprotokoll in eine Textdatei</translation>
    </message>
    <message>
        <source>What the last action did and what its tools printed</source>
        <translation>Was der letzte Vorgang getan hat und was seine Programme ausgegeben haben</translation>
    </message>
    <message>
        <source>Welcome to Tessaro!</source>
        <translation>Willkommen bei Tessaro!</translation>
    </message>
    <message>
        <source>Important Information:</source>
        <translation>Wichtige Hinweise:</translation>
    </message>
    <message>
        <source>1. Refresh Drives – click &apos;Refresh Drives&apos; after plugging in a new USB/SD card to detect it without restarting the app.</source>
        <translation>1. Laufwerke aktualisieren – nach dem Einstecken eines neuen USB-Sticks oder einer SD-Karte auf „Laufwerke aktualisieren“ klicken, damit er ohne Neustart des Programms erkannt wird.</translation>
    </message>
    <message>
        <source>2. Cluster Size – controls how data is stored:</source>
        <translation>2. Clustergröße – bestimmt, wie Daten gespeichert werden:</translation>
    </message>
    <message>
        <source>Smaller cluster (512B, 1KB, 2KB) → efficient for many small files, but slower.</source>
        <translation>Kleinere Cluster (512 B, 1 KB, 2 KB) → sparsam bei vielen kleinen Dateien, aber langsamer.</translation>
    </message>
    <message>
        <source>Larger cluster (16KB, 32KB, 64KB) → faster for large files, but wastes space on small files.</source>
        <translation>Größere Cluster (16 KB, 32 KB, 64 KB) → schneller bei großen Dateien, verschwenden aber Platz bei kleinen Dateien.</translation>
    </message>
    <message>
        <source>Default is recommended for most users.</source>
        <translation>„Standard“ wird den meisten Benutzern empfohlen.</translation>
    </message>
    <message>
        <source>3. Precheck Disk Error - check if the disk has any errors in order to avoid format issues (Not required for quick format).</source>
        <translation>3. Datenträger vorab prüfen – prüft den Datenträger auf Fehler, um Probleme beim Formatieren zu vermeiden (für die Schnellformatierung nicht nötig).</translation>
    </message>
    <message>
        <source>Warning:</source>
        <translation>Warnung:</translation>
    </message>
    <message>
        <source>1. All data on the selected drive will be permanently erased.</source>
        <translation>1. Alle Daten auf dem ausgewählten Laufwerk werden unwiderruflich gelöscht.</translation>
    </message>
    <message>
        <source>2. Internal drives are hidden, but double-check the drive letter before formatting.</source>
        <translation>2. Interne Laufwerke werden nicht angezeigt, trotzdem vor dem Formatieren genau prüfen, welches Laufwerk ausgewählt ist.</translation>
    </message>
    <message>
        <source>Safe Tip: If you are unsure, keep the cluster size at Default and only format external/removable drives.</source>
        <translation>Sicherheitstipp: Im Zweifel die Clustergröße auf „Standard“ lassen und nur externe Laufwerke oder Wechsellaufwerke formatieren.</translation>
    </message>
    <message>
        <source>Tessaro log</source>
        <extracomment>The file name Save Log suggests; a date and time follow.</extracomment>
        <translation>Tessaro-Protokoll</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>The log could not be saved to %1: %2</source>
        <translation>Das Protokoll konnte nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Stop the format?</source>
        <translation>Formatierung anhalten?</translation>
    </message>
    <message>
        <source>The drive has already been partly erased. If the format stops now, the drive will be unusable until it is formatted again.</source>
        <translation>Das Laufwerk ist bereits teilweise gelöscht. Wenn die Formatierung jetzt anhält, ist das Laufwerk unbrauchbar, bis es erneut formatiert wird.</translation>
    </message>
    <message>
        <source>Stop Format</source>
        <translation>Formatierung anhalten</translation>
    </message>
    <message>
        <source>Keep Formatting</source>
        <translation>Weiter formatieren</translation>
    </message>
    <message>
        <source>The format of %1 has begun writing. Stop it anyway?</source>
        <translation>Die Formatierung von %1 schreibt bereits. Trotzdem anhalten?</translation>
    </message>
    <message>
        <source>No external drive found — plug one in</source>
        <translation>Kein externes Laufwerk gefunden – bitte eines anschließen</translation>
    </message>
    <message>
        <source>The format of %1 has begun writing. Stop it and close the window?</source>
        <translation>Die Formatierung von %1 schreibt bereits. Anhalten und das Fenster schließen?</translation>
    </message>
    <message>
        <source>A format of %1 is about to begin. Stop it and close the window?</source>
        <translation>Eine Formatierung von %1 beginnt gleich. Anhalten und das Fenster schließen?</translation>
    </message>
    <message>
        <source>Not formatted within the part that holds data: %1</source>
        <translation>Nicht innerhalb des Teils formatiert, der Daten speichert: %1</translation>
    </message>
    <message>
        <source>&amp;Test Capacity</source>
        <translation>&amp;Kapazität testen</translation>
    </message>
    <message>
        <source>Test Capacity</source>
        <translation>Kapazität testen</translation>
    </message>
    <message>
        <source>Erases the selected drive to test how much of it really holds data</source>
        <translation>Löscht das ausgewählte Laufwerk, um zu prüfen, wie viel davon wirklich Daten speichert</translation>
    </message>
    <message>
        <source>Capacity test progress</source>
        <translation>Fortschritt des Kapazitätstests</translation>
    </message>
    <message>
        <source>How much of the capacity test is done, and about how long it still takes</source>
        <translation>Wie viel des Kapazitätstests erledigt ist und wie lange er noch etwa dauert</translation>
    </message>
    <message>
        <source>Written as: %1</source>
        <translation>Wird geschrieben als: %1</translation>
    </message>
    <message>
        <source>A&amp;bout</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>About Tessaro</source>
        <translation>Über Tessaro</translation>
    </message>
    <message>
        <source>Shows the version, the license and the tools Tessaro runs</source>
        <translation>Zeigt die Version, die Lizenz und die Werkzeuge, die Tessaro ausführt</translation>
    </message>
    <message>
        <source>Not formatted: %1</source>
        <translation>Nicht formatiert: %1</translation>
    </message>
    <message>
        <source>No format is offered: %1 failed the capacity test; do not trust it with data.</source>
        <translation>Keine Formatierung angeboten: %1 hat den Kapazitätstest nicht bestanden; keine Daten darauf ablegen.</translation>
    </message>
    <message>
        <source>&amp;Several Drives…</source>
        <translation>&amp;Mehrere Laufwerke …</translation>
    </message>
    <message>
        <source>Several Drives</source>
        <translation>Mehrere Laufwerke</translation>
    </message>
    <message>
        <source>Formats, checks or tests several drives at once</source>
        <translation>Formatiert, prüft oder testet mehrere Laufwerke zugleich</translation>
    </message>
</context>
</TS>
