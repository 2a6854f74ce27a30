<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl">
<context>
    <name>CoreText</name>
    <message>
        <source>Please pick a valid target directory.</source>
        <translation>Wybierz prawidłowy katalog docelowy.</translation>
    </message>
    <message>
        <source>Sample not loaded.</source>
        <translation>Nie można wczytać pliku.</translation>
    </message>
    <message>
        <source>Opening file...</source>
        <translation>Otwieranie pliku...</translation>
    </message>
    <message>
        <source>Closing file ...</source>
        <translation>Zamykanie pliku ...</translation>
    </message>
    <message>
        <source>Done %1%</source>
        <translation>Ukończono %1%</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Nie można utworzyć pliku „%1”. %2</translation>
    </message>
    <message>
        <source>Stream write error: &quot;%1&quot;. %2</source>
        <translation>Błąd zapisu: „%1”. %2</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the decoder stopped delivering data.</source>
        <translation>Nie można zdekodować „%1”: dekoder przestał dostarczać dane.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Vorbis data is damaged.</source>
        <translation>Nie można zdekodować „%1”: dane Ogg Vorbis są uszkodzone.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: cannot seek in the file.</source>
        <translation>Nie można zdekodować „%1”: nie można zmienić pozycji w pliku.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: %2</source>
        <translation>Nie można zdekodować „%1”: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; ends early: only %2 of %3 could be decoded.</source>
        <translation>Plik „%1” kończy się przedwcześnie: zdekodowano tylko %2 z %3.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Nieznany błąd</translation>
    </message>
    <message>
        <source>ends without its end-of-stream mark: it may be cut short</source>
        <translation>kończy się bez znacznika końca strumienia: może być ucięty</translation>
    </message>
    <message>
        <source>announces a wrong length: the audio its pages hold was decoded</source>
        <translation>podaje błędną długość: zdekodowano dźwięk zawarty w jego stronach</translation>
    </message>
    <message>
        <source>data lost or damaged at %1: %2 of silence in its place</source>
        <translation>dane utracone lub uszkodzone w %1: %2 ciszy w ich miejscu</translation>
    </message>
    <message>
        <source>changes to %1 at %2: converted to %3</source>
        <translation>zmienia się na %1 w %2: przekonwertowano na %3</translation>
    </message>
    <message>
        <source>a damaged frame at %1 was replaced by silence</source>
        <translation>uszkodzona ramka w %1 została zastąpiona ciszą</translation>
    </message>
    <message>
        <source>%1 damaged frames were replaced by silence, the first at %2</source>
        <translation>uszkodzone ramki (%1) zostały zastąpione ciszą, pierwsza w %2</translation>
    </message>
    <message>
        <source>the decoded audio does not match the file&apos;s checksum: the file is damaged</source>
        <translation>zdekodowany dźwięk nie zgadza się z sumą kontrolną pliku: plik jest uszkodzony</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is the source file.</source>
        <translation>Nie można utworzyć pliku „%1”. Jest to plik źródłowy.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Opus data is damaged.</source>
        <translation>Nie można zdekodować „%1”: dane Ogg Opus są uszkodzone.</translation>
    </message>
</context>
<context>
    <name>zent::Dialogs</name>
    <message>
        <source>Error</source>
        <translation>Błąd</translation>
    </message>
</context>
<context>
    <name>zent::DirectoryEdit</name>
    <message>
        <source>Browse</source>
        <translation>Przeglądaj</translation>
    </message>
</context>
<context>
    <name>zent::RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Konwersja zakończona</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) converted into %1</source>
        <translation>
            <numerusform>Przekonwertowano %n plik do katalogu %1</numerusform>
            <numerusform>Przekonwertowano %n pliki do katalogu %1</numerusform>
            <numerusform>Przekonwertowano %n plików do katalogu %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion ended with an error</source>
        <translation>Konwersja zakończona błędem</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Otwórz katalog</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) failed</source>
        <translation>
            <numerusform>%n plik z błędem</numerusform>
            <numerusform>%n pliki z błędem</numerusform>
            <numerusform>%n plików z błędem</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) with a warning</source>
        <translation>
            <numerusform>%n plik z ostrzeżeniem</numerusform>
            <numerusform>%n pliki z ostrzeżeniem</numerusform>
            <numerusform>%n plików z ostrzeżeniem</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::RunReport</name>
    <message>
        <source>Failed</source>
        <translation>Nie powiodło się</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Pominięto</translation>
    </message>
    <message>
        <source>Converted with a warning</source>
        <translation>Przekonwertowano z ostrzeżeniem</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Zatrzymano</translation>
    </message>
    <message>
        <source>A file of this name was there already and was left as it was.</source>
        <translation>Plik o tej nazwie już istniał i pozostał bez zmian.</translation>
    </message>
    <message>
        <source>Run report</source>
        <translation>Raport z konwersji</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Plik</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Wynik</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Przyczyna</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Skopiuj</translation>
    </message>
</context>
<context>
    <name>zent::TMainForm</name>
    <message>
        <source>Add MP3 or OGG files for processing</source>
        <translation>Dodaj pliki MP3 lub OGG do przetworzenia</translation>
    </message>
    <message>
        <source>Remove selected files from processing</source>
        <translation>Usuń zaznaczone pliki z przetwarzania</translation>
    </message>
    <message>
        <source>Clear all files</source>
        <translation>Usuń wszystkie pliki</translation>
    </message>
    <message>
        <source>Set default processing properties</source>
        <translation>Ustaw domyślne właściwości przetwarzania</translation>
    </message>
    <message>
        <source>Start conversion</source>
        <translation>Rozpocznij konwersję</translation>
    </message>
    <message>
        <source>Exit this application</source>
        <translation>Zakończ program</translation>
    </message>
    <message>
        <source>Stop conversion</source>
        <translation>Zatrzymaj konwersję</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Katalog docelowy</translation>
    </message>
    <message>
        <source>For updates go to</source>
        <translation>Aktualizacje na</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Pliki do konwersji</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nazwa pliku</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Długość</translation>
    </message>
    <message>
        <source>Projected filesize</source>
        <translation>Przewidywany rozmiar</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Postęp wszystkich plików</translation>
    </message>
    <message>
        <source>Progress of the current file</source>
        <translation>Postęp bieżącego pliku</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n plik</numerusform>
            <numerusform>%n pliki</numerusform>
            <numerusform>%n plików</numerusform>
        </translation>
    </message>
    <message>
        <source>Total disk space needed: %1</source>
        <translation>Wymagane miejsce na dysku: %1</translation>
    </message>
    <message>
        <source>Zent MP3 OGG to WAV converter 1.0</source>
        <translation>Zent – konwerter MP3 OGG na WAV 1.0</translation>
    </message>
    <message>
        <source>MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</source>
        <translation>Pliki MP3, Ogg Vorbis, Opus i FLAC (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</translation>
    </message>
</context>
<context>
    <name>zent::TOptionsForm</name>
    <message>
        <source>Properties</source>
        <translation>Właściwości</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;ave directory</source>
        <translation>Domyślny katalog &lt;u&gt;z&lt;/u&gt;apisu</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Katalog docelowy</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;orting</source>
        <translation>Domyślne &lt;u&gt;s&lt;/u&gt;ortowanie</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>nazwa</translation>
    </message>
    <message>
        <source>length</source>
        <translation>długość</translation>
    </message>
    <message>
        <source>ascending order</source>
        <translation>kolejność rosnąca</translation>
    </message>
    <message>
        <source>As the source</source>
        <translation>Jak w źródle</translation>
    </message>
    <message>
        <source>8-bit</source>
        <translation>8-bitowy</translation>
    </message>
    <message>
        <source>16-bit</source>
        <translation>16-bitowy</translation>
    </message>
    <message>
        <source>24-bit</source>
        <translation>24-bitowy</translation>
    </message>
    <message>
        <source>32-bit</source>
        <translation>32-bitowy</translation>
    </message>
    <message>
        <source>32-bit float</source>
        <translation>32-bitowy zmiennoprzecinkowy</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Zastąp</translation>
    </message>
    <message>
        <source>Number the new file</source>
        <translation>Numeruj nowy plik</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Pomiń</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Wyjście</translation>
    </message>
    <message>
        <source>Sample format</source>
        <translation>Format próbek</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Częstotliwość próbkowania</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Kanały</translation>
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
        <translation>Istniejące pliki</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Zadania</translation>
    </message>
    <message>
        <source>As many as processors</source>
        <translation>Tyle, ile procesorów</translation>
    </message>
    <message>
        <source>Copy tags</source>
        <translation>Kopiuj znaczniki</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Zachowaj katalogi</translation>
    </message>
    <message>
        <source>Keep going when a file fails</source>
        <translation>Kontynuuj po błędzie pliku</translation>
    </message>
</context>
</TS>
