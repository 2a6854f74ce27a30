<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CoreText</name>
    <message>
        <source>Please pick a valid target directory.</source>
        <translation>Bitte wählen Sie ein gültiges Zielverzeichnis.</translation>
    </message>
    <message>
        <source>Sample not loaded.</source>
        <translation>Die Datei konnte nicht geladen werden.</translation>
    </message>
    <message>
        <source>Opening file...</source>
        <translation>Datei wird geöffnet...</translation>
    </message>
    <message>
        <source>Closing file ...</source>
        <translation>Datei wird geschlossen ...</translation>
    </message>
    <message>
        <source>Done %1%</source>
        <translation>Fertig %1%</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. %2</translation>
    </message>
    <message>
        <source>Stream write error: &quot;%1&quot;. %2</source>
        <translation>Fehler beim Schreiben: „%1“. %2</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the decoder stopped delivering data.</source>
        <translation>„%1“ kann nicht dekodiert werden: Der Decoder liefert keine Daten mehr.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Vorbis data is damaged.</source>
        <translation>„%1“ kann nicht dekodiert werden: Die Ogg-Vorbis-Daten sind beschädigt.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: cannot seek in the file.</source>
        <translation>„%1“ kann nicht dekodiert werden: In der Datei kann nicht positioniert werden.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht dekodiert werden: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; ends early: only %2 of %3 could be decoded.</source>
        <translation>Die Datei „%1“ endet zu früh: Nur %2 von %3 konnten dekodiert werden.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>ends without its end-of-stream mark: it may be cut short</source>
        <translation>endet ohne seine Endmarke: Sie ist möglicherweise abgeschnitten</translation>
    </message>
    <message>
        <source>announces a wrong length: the audio its pages hold was decoded</source>
        <translation>gibt eine falsche Länge an: Das Audio seiner Seiten wurde dekodiert</translation>
    </message>
    <message>
        <source>data lost or damaged at %1: %2 of silence in its place</source>
        <translation>Daten verloren oder beschädigt bei %1: %2 Stille an ihrer Stelle</translation>
    </message>
    <message>
        <source>changes to %1 at %2: converted to %3</source>
        <translation>wechselt zu %1 bei %2: umgewandelt in %3</translation>
    </message>
    <message>
        <source>a damaged frame at %1 was replaced by silence</source>
        <translation>ein beschädigter Frame bei %1 wurde durch Stille ersetzt</translation>
    </message>
    <message>
        <source>%1 damaged frames were replaced by silence, the first at %2</source>
        <translation>%1 beschädigte Frames wurden durch Stille ersetzt, der erste bei %2</translation>
    </message>
    <message>
        <source>the decoded audio does not match the file&apos;s checksum: the file is damaged</source>
        <translation>das dekodierte Audio stimmt nicht mit der Prüfsumme der Datei überein: Die Datei ist beschädigt</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is the source file.</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. Sie ist die Quelldatei.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Opus data is damaged.</source>
        <translation>„%1“ kann nicht dekodiert werden: Die Ogg-Opus-Daten sind beschädigt.</translation>
    </message>
</context>
<context>
    <name>zent::Dialogs</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>zent::DirectoryEdit</name>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
</context>
<context>
    <name>zent::RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Umwandlung beendet</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) converted into %1</source>
        <translation>
            <numerusform>%n Datei in %1 umgewandelt</numerusform>
            <numerusform>%n Dateien in %1 umgewandelt</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion ended with an error</source>
        <translation>Umwandlung mit einem Fehler beendet</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) failed</source>
        <translation>
            <numerusform>%n Datei fehlgeschlagen</numerusform>
            <numerusform>%n Dateien fehlgeschlagen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) with a warning</source>
        <translation>
            <numerusform>%n Datei mit Warnung</numerusform>
            <numerusform>%n Dateien mit Warnung</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::RunReport</name>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Übersprungen</translation>
    </message>
    <message>
        <source>Converted with a warning</source>
        <translation>Mit Warnung umgewandelt</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>A file of this name was there already and was left as it was.</source>
        <translation>Eine Datei dieses Namens war schon da und blieb unverändert.</translation>
    </message>
    <message>
        <source>Run report</source>
        <translation>Bericht über die Umwandlung</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Grund</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
</context>
<context>
    <name>zent::TMainForm</name>
    <message>
        <source>Zent MP3 OGG to WAV converter 1.0</source>
        <translation>Zent MP3-OGG-nach-WAV-Konverter 1.0</translation>
    </message>
    <message>
        <source>MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</source>
        <translation>MP3-, Ogg-Vorbis-, Opus- und FLAC-Dateien (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</translation>
    </message>
    <message>
        <source>Add MP3 or OGG files for processing</source>
        <translation>MP3- oder OGG-Dateien zur Verarbeitung hinzufügen</translation>
    </message>
    <message>
        <source>Remove selected files from processing</source>
        <translation>Ausgewählte Dateien aus der Verarbeitung entfernen</translation>
    </message>
    <message>
        <source>Clear all files</source>
        <translation>Alle Dateien entfernen</translation>
    </message>
    <message>
        <source>Set default processing properties</source>
        <translation>Standardeinstellungen der Verarbeitung festlegen</translation>
    </message>
    <message>
        <source>Start conversion</source>
        <translation>Umwandlung starten</translation>
    </message>
    <message>
        <source>Exit this application</source>
        <translation>Programm beenden</translation>
    </message>
    <message>
        <source>Stop conversion</source>
        <translation>Umwandlung anhalten</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Zielverzeichnis</translation>
    </message>
    <message>
        <source>For updates go to</source>
        <translation>Aktualisierungen unter</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Umzuwandelnde Dateien</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Projected filesize</source>
        <translation>Voraussichtliche Dateigröße</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Fortschritt aller Dateien</translation>
    </message>
    <message>
        <source>Progress of the current file</source>
        <translation>Fortschritt der aktuellen Datei</translation>
    </message>
    <message>
        <source>Total disk space needed: %1</source>
        <translation>Benötigter Speicherplatz: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n Datei</numerusform>
            <numerusform>%n Dateien</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::TOptionsForm</name>
    <message>
        <source>Properties</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;ave directory</source>
        <translation>Standard-&lt;u&gt;Z&lt;/u&gt;ielverzeichnis</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Zielverzeichnis</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;orting</source>
        <translation>Standard-&lt;u&gt;S&lt;/u&gt;ortierung</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>ascending order</source>
        <translation>aufsteigend</translation>
    </message>
    <message>
        <source>As the source</source>
        <translation>Wie die Quelle</translation>
    </message>
    <message>
        <source>8-bit</source>
        <translation>8 Bit</translation>
    </message>
    <message>
        <source>16-bit</source>
        <translation>16 Bit</translation>
    </message>
    <message>
        <source>24-bit</source>
        <translation>24 Bit</translation>
    </message>
    <message>
        <source>32-bit</source>
        <translation>32 Bit</translation>
    </message>
    <message>
        <source>32-bit float</source>
        <translation>32 Bit Gleitkomma</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Number the new file</source>
        <translation>Neue Datei nummerieren</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Sample format</source>
        <translation>Sampleformat</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Abtastrate</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>Existing files</source>
        <translation>Vorhandene Dateien</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Aufträge</translation>
    </message>
    <message>
        <source>As many as processors</source>
        <translation>So viele wie Prozessoren</translation>
    </message>
    <message>
        <source>Copy tags</source>
        <translation>Tags übernehmen</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Ordner beibehalten</translation>
    </message>
    <message>
        <source>Keep going when a file fails</source>
        <translation>Bei Fehlern mit der nächsten Datei weitermachen</translation>
    </message>
</context>
</TS>
