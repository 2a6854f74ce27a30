<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>CoreText</name>
    <message>
        <source>Please pick a valid target directory.</source>
        <translation>Escolha uma pasta de destino válida.</translation>
    </message>
    <message>
        <source>Sample not loaded.</source>
        <translation>Não foi possível carregar o arquivo.</translation>
    </message>
    <message>
        <source>Opening file...</source>
        <translation>Abrindo o arquivo...</translation>
    </message>
    <message>
        <source>Closing file ...</source>
        <translation>Fechando o arquivo ...</translation>
    </message>
    <message>
        <source>Done %1%</source>
        <translation>Concluído %1%</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Não é possível criar o arquivo “%1”. %2</translation>
    </message>
    <message>
        <source>Stream write error: &quot;%1&quot;. %2</source>
        <translation>Erro de gravação: “%1”. %2</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the decoder stopped delivering data.</source>
        <translation>Não é possível decodificar “%1”: o decodificador parou de fornecer dados.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Vorbis data is damaged.</source>
        <translation>Não é possível decodificar “%1”: os dados Ogg Vorbis estão danificados.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: cannot seek in the file.</source>
        <translation>Não é possível decodificar “%1”: não é possível mudar de posição no arquivo.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: %2</source>
        <translation>Não é possível decodificar “%1”: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; ends early: only %2 of %3 could be decoded.</source>
        <translation>O arquivo “%1” termina antes do esperado: só foi possível decodificar %2 de %3.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Erro desconhecido</translation>
    </message>
    <message>
        <source>ends without its end-of-stream mark: it may be cut short</source>
        <translation>termina sem sua marca de fim de fluxo: pode estar cortado</translation>
    </message>
    <message>
        <source>announces a wrong length: the audio its pages hold was decoded</source>
        <translation>anuncia uma duração errada: o áudio contido em suas páginas foi decodificado</translation>
    </message>
    <message>
        <source>data lost or damaged at %1: %2 of silence in its place</source>
        <translation>dados perdidos ou danificados em %1: %2 de silêncio no lugar</translation>
    </message>
    <message>
        <source>changes to %1 at %2: converted to %3</source>
        <translation>muda para %1 em %2: convertido para %3</translation>
    </message>
    <message>
        <source>a damaged frame at %1 was replaced by silence</source>
        <translation>um quadro danificado em %1 foi substituído por silêncio</translation>
    </message>
    <message>
        <source>%1 damaged frames were replaced by silence, the first at %2</source>
        <translation>%1 quadros danificados foram substituídos por silêncio, o primeiro em %2</translation>
    </message>
    <message>
        <source>the decoded audio does not match the file&apos;s checksum: the file is damaged</source>
        <translation>o áudio decodificado não corresponde à soma de verificação do arquivo: o arquivo está danificado</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is the source file.</source>
        <translation>Não é possível criar o arquivo “%1”. Ele é o arquivo de origem.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Opus data is damaged.</source>
        <translation>Não é possível decodificar “%1”: os dados Ogg Opus estão danificados.</translation>
    </message>
</context>
<context>
    <name>zent::Dialogs</name>
    <message>
        <source>Error</source>
        <translation>Erro</translation>
    </message>
</context>
<context>
    <name>zent::DirectoryEdit</name>
    <message>
        <source>Browse</source>
        <translation>Procurar</translation>
    </message>
</context>
<context>
    <name>zent::RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversão concluída</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) converted into %1</source>
        <translation>
            <numerusform>%n arquivo convertido em %1</numerusform>
            <numerusform>%n arquivos convertidos em %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion ended with an error</source>
        <translation>A conversão terminou com um erro</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Abrir a pasta</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) failed</source>
        <translation>
            <numerusform>%n arquivo com falha</numerusform>
            <numerusform>%n arquivos com falha</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) with a warning</source>
        <translation>
            <numerusform>%n arquivo com aviso</numerusform>
            <numerusform>%n arquivos com aviso</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::RunReport</name>
    <message>
        <source>Failed</source>
        <translation>Falhou</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Ignorado</translation>
    </message>
    <message>
        <source>Converted with a warning</source>
        <translation>Convertido com aviso</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Parado</translation>
    </message>
    <message>
        <source>A file of this name was there already and was left as it was.</source>
        <translation>Já havia um arquivo com este nome, que foi mantido como estava.</translation>
    </message>
    <message>
        <source>Run report</source>
        <translation>Relatório da conversão</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Arquivo</translation>
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
        <translation>Adicionar arquivos MP3 ou OGG para processar</translation>
    </message>
    <message>
        <source>Remove selected files from processing</source>
        <translation>Remover os arquivos selecionados do processamento</translation>
    </message>
    <message>
        <source>Clear all files</source>
        <translation>Remover todos os arquivos</translation>
    </message>
    <message>
        <source>Set default processing properties</source>
        <translation>Definir as propriedades padrão do processamento</translation>
    </message>
    <message>
        <source>Start conversion</source>
        <translation>Iniciar a conversão</translation>
    </message>
    <message>
        <source>Exit this application</source>
        <translation>Sair do aplicativo</translation>
    </message>
    <message>
        <source>Stop conversion</source>
        <translation>Parar a conversão</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Pasta de destino</translation>
    </message>
    <message>
        <source>For updates go to</source>
        <translation>Atualizações em</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Arquivos a converter</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nome do arquivo</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Duração</translation>
    </message>
    <message>
        <source>Projected filesize</source>
        <translation>Tamanho previsto</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Progresso de todos os arquivos</translation>
    </message>
    <message>
        <source>Progress of the current file</source>
        <translation>Progresso do arquivo atual</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n arquivo</numerusform>
            <numerusform>%n arquivos</numerusform>
        </translation>
    </message>
    <message>
        <source>Total disk space needed: %1</source>
        <translation>Espaço em disco necessário: %1</translation>
    </message>
    <message>
        <source>Zent MP3 OGG to WAV converter 1.0</source>
        <translation>Zent, conversor de MP3 OGG para WAV 1.0</translation>
    </message>
    <message>
        <source>MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</source>
        <translation>Arquivos MP3, Ogg Vorbis, Opus e FLAC (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</translation>
    </message>
</context>
<context>
    <name>zent::TOptionsForm</name>
    <message>
        <source>Properties</source>
        <translation>Propriedades</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;ave directory</source>
        <translation>&lt;u&gt;P&lt;/u&gt;asta de destino padrão</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Pasta de destino</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;orting</source>
        <translation>&lt;u&gt;O&lt;/u&gt;rdenação padrão</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>nome</translation>
    </message>
    <message>
        <source>length</source>
        <translation>duração</translation>
    </message>
    <message>
        <source>ascending order</source>
        <translation>ordem crescente</translation>
    </message>
    <message>
        <source>As the source</source>
        <translation>Igual à origem</translation>
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
        <translation>32 bits ponto flutuante</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Substituir</translation>
    </message>
    <message>
        <source>Number the new file</source>
        <translation>Numerar o novo arquivo</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Ignorar</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Saída</translation>
    </message>
    <message>
        <source>Sample format</source>
        <translation>Formato de amostra</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Taxa de amostragem</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Canais</translation>
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
        <translation>Arquivos existentes</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Tarefas</translation>
    </message>
    <message>
        <source>As many as processors</source>
        <translation>Tantas quanto processadores</translation>
    </message>
    <message>
        <source>Copy tags</source>
        <translation>Copiar tags</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Manter as pastas</translation>
    </message>
    <message>
        <source>Keep going when a file fails</source>
        <translation>Continuar se um arquivo falhar</translation>
    </message>
</context>
</TS>
