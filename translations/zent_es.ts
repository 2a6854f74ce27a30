<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>CoreText</name>
    <message>
        <source>Please pick a valid target directory.</source>
        <translation>Elija una carpeta de destino válida.</translation>
    </message>
    <message>
        <source>Sample not loaded.</source>
        <translation>No se pudo cargar el fichero.</translation>
    </message>
    <message>
        <source>Opening file...</source>
        <translation>Abriendo el fichero...</translation>
    </message>
    <message>
        <source>Closing file ...</source>
        <translation>Cerrando el fichero ...</translation>
    </message>
    <message>
        <source>Done %1%</source>
        <translation>Completado: %1&#xa0;%</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>No se puede crear el fichero «%1». %2</translation>
    </message>
    <message>
        <source>Stream write error: &quot;%1&quot;. %2</source>
        <translation>Error de escritura: «%1». %2</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the decoder stopped delivering data.</source>
        <translation>No se puede decodificar «%1»: el decodificador ha dejado de entregar datos.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Vorbis data is damaged.</source>
        <translation>No se puede decodificar «%1»: los datos Ogg Vorbis están dañados.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: cannot seek in the file.</source>
        <translation>No se puede decodificar «%1»: no se puede cambiar de posición en el fichero.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: %2</source>
        <translation>No se puede decodificar «%1»: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; ends early: only %2 of %3 could be decoded.</source>
        <translation>El fichero «%1» termina antes de tiempo: solo se pudieron decodificar %2 de %3.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Error desconocido</translation>
    </message>
    <message>
        <source>ends without its end-of-stream mark: it may be cut short</source>
        <translation>termina sin su marca de fin de flujo: puede estar cortado</translation>
    </message>
    <message>
        <source>announces a wrong length: the audio its pages hold was decoded</source>
        <translation>anuncia una duración errónea: se ha decodificado el audio que contienen sus páginas</translation>
    </message>
    <message>
        <source>data lost or damaged at %1: %2 of silence in its place</source>
        <translation>datos perdidos o dañados en %1: %2 de silencio en su lugar</translation>
    </message>
    <message>
        <source>changes to %1 at %2: converted to %3</source>
        <translation>cambia a %1 en %2: convertido a %3</translation>
    </message>
    <message>
        <source>a damaged frame at %1 was replaced by silence</source>
        <translation>una trama dañada en %1 se ha sustituido por silencio</translation>
    </message>
    <message>
        <source>%1 damaged frames were replaced by silence, the first at %2</source>
        <translation>%1 tramas dañadas se han sustituido por silencio, la primera en %2</translation>
    </message>
    <message>
        <source>the decoded audio does not match the file&apos;s checksum: the file is damaged</source>
        <translation>el audio decodificado no coincide con la suma de comprobación del archivo: el archivo está dañado</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is the source file.</source>
        <translation>No se puede crear el fichero «%1». Es el fichero de origen.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Opus data is damaged.</source>
        <translation>No se puede decodificar «%1»: los datos Ogg Opus están dañados.</translation>
    </message>
</context>
<context>
    <name>zent::Dialogs</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>zent::DirectoryEdit</name>
    <message>
        <source>Browse</source>
        <translation>Examinar</translation>
    </message>
</context>
<context>
    <name>zent::RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversión terminada</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) converted into %1</source>
        <translation>
            <numerusform>%n fichero convertido en %1</numerusform>
            <numerusform>%n ficheros convertidos en %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion ended with an error</source>
        <translation>La conversión terminó con un error</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Abrir la carpeta</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) failed</source>
        <translation>
            <numerusform>%n fichero con error</numerusform>
            <numerusform>%n ficheros con error</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) with a warning</source>
        <translation>
            <numerusform>%n fichero con advertencia</numerusform>
            <numerusform>%n ficheros con advertencia</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::RunReport</name>
    <message>
        <source>Failed</source>
        <translation>Con error</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Omitido</translation>
    </message>
    <message>
        <source>Converted with a warning</source>
        <translation>Convertido con advertencia</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Detenido</translation>
    </message>
    <message>
        <source>A file of this name was there already and was left as it was.</source>
        <translation>Ya había un fichero con este nombre y se ha dejado como estaba.</translation>
    </message>
    <message>
        <source>Run report</source>
        <translation>Informe de la conversión</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichero</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Resultado</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Motivo</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
</context>
<context>
    <name>zent::TMainForm</name>
    <message>
        <source>Add MP3 or OGG files for processing</source>
        <translation>Añadir ficheros MP3 u OGG para procesar</translation>
    </message>
    <message>
        <source>Remove selected files from processing</source>
        <translation>Quitar los ficheros seleccionados del proceso</translation>
    </message>
    <message>
        <source>Clear all files</source>
        <translation>Quitar todos los ficheros</translation>
    </message>
    <message>
        <source>Set default processing properties</source>
        <translation>Establecer las propiedades predeterminadas del proceso</translation>
    </message>
    <message>
        <source>Start conversion</source>
        <translation>Iniciar la conversión</translation>
    </message>
    <message>
        <source>Exit this application</source>
        <translation>Salir de la aplicación</translation>
    </message>
    <message>
        <source>Stop conversion</source>
        <translation>Detener la conversión</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Carpeta de destino</translation>
    </message>
    <message>
        <source>For updates go to</source>
        <translation>Actualizaciones en</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Ficheros para convertir</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nombre de fichero</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>Projected filesize</source>
        <translation>Tamaño previsto</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Progreso de todos los ficheros</translation>
    </message>
    <message>
        <source>Progress of the current file</source>
        <translation>Progreso del fichero actual</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n fichero</numerusform>
            <numerusform>%n ficheros</numerusform>
        </translation>
    </message>
    <message>
        <source>Total disk space needed: %1</source>
        <translation>Espacio en disco necesario: %1</translation>
    </message>
    <message>
        <source>Zent MP3 OGG to WAV converter 1.0</source>
        <translation>Zent, conversor de MP3 OGG a WAV 1.0</translation>
    </message>
    <message>
        <source>MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</source>
        <translation>Ficheros MP3, Ogg Vorbis, Opus y FLAC (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</translation>
    </message>
</context>
<context>
    <name>zent::TOptionsForm</name>
    <message>
        <source>Properties</source>
        <translation>Propiedades</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;ave directory</source>
        <translation>&lt;u&gt;C&lt;/u&gt;arpeta de destino predeterminada</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Carpeta de destino</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;orting</source>
        <translation>&lt;u&gt;O&lt;/u&gt;rden predeterminado</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>nombre</translation>
    </message>
    <message>
        <source>length</source>
        <translation>duración</translation>
    </message>
    <message>
        <source>ascending order</source>
        <translation>orden ascendente</translation>
    </message>
    <message>
        <source>As the source</source>
        <translation>Como el origen</translation>
    </message>
    <message>
        <source>8-bit</source>
        <translation>8 bits</translation>
    </message>
    <message>
        <source>16-bit</source>
        <translation>16 bits</translation>
    </message>
    <message>
        <source>24-bit</source>
        <translation>24 bits</translation>
    </message>
    <message>
        <source>32-bit</source>
        <translation>32 bits</translation>
    </message>
    <message>
        <source>32-bit float</source>
        <translation>32 bits flotante</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Reemplazar</translation>
    </message>
    <message>
        <source>Number the new file</source>
        <translation>Numerar el fichero nuevo</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Omitir</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Salida</translation>
    </message>
    <message>
        <source>Sample format</source>
        <translation>Formato de muestra</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Frecuencia de muestreo</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Canales</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation>Estéreo</translation>
    </message>
    <message>
        <source>Existing files</source>
        <translation>Ficheros existentes</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Tareas</translation>
    </message>
    <message>
        <source>As many as processors</source>
        <translation>Tantas como procesadores</translation>
    </message>
    <message>
        <source>Copy tags</source>
        <translation>Copiar etiquetas</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Conservar carpetas</translation>
    </message>
    <message>
        <source>Keep going when a file fails</source>
        <translation>Continuar si falla un fichero</translation>
    </message>
</context>
</TS>
