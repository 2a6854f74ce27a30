<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name>CoreText</name>
    <message>
        <source>Please pick a valid target directory.</source>
        <translation>Scegliere una cartella di destinazione valida.</translation>
    </message>
    <message>
        <source>Sample not loaded.</source>
        <translation>Impossibile caricare il file.</translation>
    </message>
    <message>
        <source>Opening file...</source>
        <translation>Apertura del file...</translation>
    </message>
    <message>
        <source>Closing file ...</source>
        <translation>Chiusura del file ...</translation>
    </message>
    <message>
        <source>Done %1%</source>
        <translation>Completato %1%</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Impossibile creare il file «%1». %2</translation>
    </message>
    <message>
        <source>Stream write error: &quot;%1&quot;. %2</source>
        <translation>Errore di scrittura: «%1». %2</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the decoder stopped delivering data.</source>
        <translation>Impossibile decodificare «%1»: il decodificatore non fornisce più dati.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Vorbis data is damaged.</source>
        <translation>Impossibile decodificare «%1»: i dati Ogg Vorbis sono danneggiati.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: cannot seek in the file.</source>
        <translation>Impossibile decodificare «%1»: impossibile spostarsi nel file.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: %2</source>
        <translation>Impossibile decodificare «%1»: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; ends early: only %2 of %3 could be decoded.</source>
        <translation>Il file «%1» termina prima del previsto: è stato possibile decodificare solo %2 di %3.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Errore sconosciuto</translation>
    </message>
    <message>
        <source>ends without its end-of-stream mark: it may be cut short</source>
        <translation>termina senza il suo segno di fine flusso: potrebbe essere troncato</translation>
    </message>
    <message>
        <source>announces a wrong length: the audio its pages hold was decoded</source>
        <translation>dichiara una durata errata: è stato decodificato l’audio contenuto nelle sue pagine</translation>
    </message>
    <message>
        <source>data lost or damaged at %1: %2 of silence in its place</source>
        <translation>dati persi o danneggiati a %1: %2 di silenzio al loro posto</translation>
    </message>
    <message>
        <source>changes to %1 at %2: converted to %3</source>
        <translation>passa a %1 a %2: convertito in %3</translation>
    </message>
    <message>
        <source>a damaged frame at %1 was replaced by silence</source>
        <translation>un frame danneggiato a %1 è stato sostituito dal silenzio</translation>
    </message>
    <message>
        <source>%1 damaged frames were replaced by silence, the first at %2</source>
        <translation>%1 frame danneggiati sono stati sostituiti dal silenzio, il primo a %2</translation>
    </message>
    <message>
        <source>the decoded audio does not match the file&apos;s checksum: the file is damaged</source>
        <translation>l’audio decodificato non corrisponde al checksum del file: il file è danneggiato</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is the source file.</source>
        <translation>Impossibile creare il file «%1». È il file di origine.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Opus data is damaged.</source>
        <translation>Impossibile decodificare «%1»: i dati Ogg Opus sono danneggiati.</translation>
    </message>
</context>
<context>
    <name>zent::Dialogs</name>
    <message>
        <source>Error</source>
        <translation>Errore</translation>
    </message>
</context>
<context>
    <name>zent::DirectoryEdit</name>
    <message>
        <source>Browse</source>
        <translation>Sfoglia</translation>
    </message>
</context>
<context>
    <name>zent::RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversione completata</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) converted into %1</source>
        <translation>
            <numerusform>%n file convertito in %1</numerusform>
            <numerusform>%n file convertiti in %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion ended with an error</source>
        <translation>Conversione terminata con un errore</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Apri la cartella</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) failed</source>
        <translation>
            <numerusform>%n file non riuscito</numerusform>
            <numerusform>%n file non riusciti</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) with a warning</source>
        <translation>
            <numerusform>%n file con avviso</numerusform>
            <numerusform>%n file con avviso</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::RunReport</name>
    <message>
        <source>Failed</source>
        <translation>Non riuscito</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Saltato</translation>
    </message>
    <message>
        <source>Converted with a warning</source>
        <translation>Convertito con avviso</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Interrotto</translation>
    </message>
    <message>
        <source>A file of this name was there already and was left as it was.</source>
        <translation>Esisteva già un file con questo nome ed è stato lasciato com’era.</translation>
    </message>
    <message>
        <source>Run report</source>
        <translation>Rapporto di conversione</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Esito</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Motivo</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copia</translation>
    </message>
</context>
<context>
    <name>zent::TMainForm</name>
    <message>
        <source>Add MP3 or OGG files for processing</source>
        <translation>Aggiungi file MP3 o OGG da elaborare</translation>
    </message>
    <message>
        <source>Remove selected files from processing</source>
        <translation>Rimuovi i file selezionati dall’elaborazione</translation>
    </message>
    <message>
        <source>Clear all files</source>
        <translation>Rimuovi tutti i file</translation>
    </message>
    <message>
        <source>Set default processing properties</source>
        <translation>Imposta le proprietà predefinite dell’elaborazione</translation>
    </message>
    <message>
        <source>Start conversion</source>
        <translation>Avvia la conversione</translation>
    </message>
    <message>
        <source>Exit this application</source>
        <translation>Esci dall’applicazione</translation>
    </message>
    <message>
        <source>Stop conversion</source>
        <translation>Interrompi la conversione</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Cartella di destinazione</translation>
    </message>
    <message>
        <source>For updates go to</source>
        <translation>Aggiornamenti su</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>File da convertire</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nome del file</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Durata</translation>
    </message>
    <message>
        <source>Projected filesize</source>
        <translation>Dimensione prevista</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Avanzamento di tutti i file</translation>
    </message>
    <message>
        <source>Progress of the current file</source>
        <translation>Avanzamento del file corrente</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n file</numerusform>
        </translation>
    </message>
    <message>
        <source>Total disk space needed: %1</source>
        <translation>Spazio su disco necessario: %1</translation>
    </message>
    <message>
        <source>Zent MP3 OGG to WAV converter 1.0</source>
        <translation>Zent, convertitore da MP3 OGG a WAV 1.0</translation>
    </message>
    <message>
        <source>MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</source>
        <translation>File MP3, Ogg Vorbis, Opus e FLAC (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</translation>
    </message>
</context>
<context>
    <name>zent::TOptionsForm</name>
    <message>
        <source>Properties</source>
        <translation>Proprietà</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;ave directory</source>
        <translation>&lt;u&gt;C&lt;/u&gt;artella di destinazione predefinita</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Cartella di destinazione</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;orting</source>
        <translation>&lt;u&gt;O&lt;/u&gt;rdinamento predefinito</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>nome</translation>
    </message>
    <message>
        <source>length</source>
        <translation>durata</translation>
    </message>
    <message>
        <source>ascending order</source>
        <translation>ordine crescente</translation>
    </message>
    <message>
        <source>As the source</source>
        <translation>Come l’origine</translation>
    </message>
    <message>
        <source>8-bit</source>
        <translation>8 bit</translation>
    </message>
    <message>
        <source>16-bit</source>
        <translation>16 bit</translation>
    </message>
    <message>
        <source>24-bit</source>
        <translation>24 bit</translation>
    </message>
    <message>
        <source>32-bit</source>
        <translation>32 bit</translation>
    </message>
    <message>
        <source>32-bit float</source>
        <translation>32 bit virgola mobile</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Sostituisci</translation>
    </message>
    <message>
        <source>Number the new file</source>
        <translation>Numera il nuovo file</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Salta</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Uscita</translation>
    </message>
    <message>
        <source>Sample format</source>
        <translation>Formato campioni</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Frequenza di campionamento</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Canali</translation>
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
        <translation>File esistenti</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Processi</translation>
    </message>
    <message>
        <source>As many as processors</source>
        <translation>Quanti i processori</translation>
    </message>
    <message>
        <source>Copy tags</source>
        <translation>Copia i tag</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Mantieni le cartelle</translation>
    </message>
    <message>
        <source>Keep going when a file fails</source>
        <translation>Continua se un file non riesce</translation>
    </message>
</context>
</TS>
