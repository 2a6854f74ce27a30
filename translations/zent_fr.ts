<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>CoreText</name>
    <message>
        <source>Please pick a valid target directory.</source>
        <translation>Veuillez choisir un dossier de destination valide.</translation>
    </message>
    <message>
        <source>Sample not loaded.</source>
        <translation>Impossible de charger le fichier.</translation>
    </message>
    <message>
        <source>Opening file...</source>
        <translation>Ouverture du fichier...</translation>
    </message>
    <message>
        <source>Closing file ...</source>
        <translation>Fermeture du fichier ...</translation>
    </message>
    <message>
        <source>Done %1%</source>
        <translation>Terminé à %1&#xa0;%</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Impossible de créer le fichier «&#xa0;%1&#xa0;». %2</translation>
    </message>
    <message>
        <source>Stream write error: &quot;%1&quot;. %2</source>
        <translation>Erreur d’écriture&#xa0;: «&#xa0;%1&#xa0;». %2</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the decoder stopped delivering data.</source>
        <translation>Impossible de décoder «&#xa0;%1&#xa0;»&#xa0;: le décodeur ne fournit plus de données.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Vorbis data is damaged.</source>
        <translation>Impossible de décoder «&#xa0;%1&#xa0;»&#xa0;: les données Ogg Vorbis sont endommagées.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: cannot seek in the file.</source>
        <translation>Impossible de décoder «&#xa0;%1&#xa0;»&#xa0;: impossible de se positionner dans le fichier.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: %2</source>
        <translation>Impossible de décoder «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; ends early: only %2 of %3 could be decoded.</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» se termine trop tôt&#xa0;: le décodage s’est arrêté à %2 sur %3.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Erreur inconnue</translation>
    </message>
    <message>
        <source>ends without its end-of-stream mark: it may be cut short</source>
        <translation>se termine sans sa marque de fin de flux : il est peut-être tronqué</translation>
    </message>
    <message>
        <source>announces a wrong length: the audio its pages hold was decoded</source>
        <translation>annonce une durée fausse : l’audio contenu dans ses pages a été décodé</translation>
    </message>
    <message>
        <source>data lost or damaged at %1: %2 of silence in its place</source>
        <translation>données perdues ou endommagées à %1 : %2 de silence à leur place</translation>
    </message>
    <message>
        <source>changes to %1 at %2: converted to %3</source>
        <translation>passe à %1 à %2 : converti en %3</translation>
    </message>
    <message>
        <source>a damaged frame at %1 was replaced by silence</source>
        <translation>une trame endommagée à %1 a été remplacée par du silence</translation>
    </message>
    <message>
        <source>%1 damaged frames were replaced by silence, the first at %2</source>
        <translation>%1 trames endommagées ont été remplacées par du silence, la première à %2</translation>
    </message>
    <message>
        <source>the decoded audio does not match the file&apos;s checksum: the file is damaged</source>
        <translation>l’audio décodé ne correspond pas à la somme de contrôle du fichier : le fichier est endommagé</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is the source file.</source>
        <translation>Impossible de créer le fichier «&#xa0;%1&#xa0;». C’est le fichier source.</translation>
    </message>
    <message>
        <source>Cannot decode &quot;%1&quot;: the Ogg Opus data is damaged.</source>
        <translation>Impossible de décoder «&#xa0;%1&#xa0;»&#xa0;: les données Ogg Opus sont endommagées.</translation>
    </message>
</context>
<context>
    <name>zent::Dialogs</name>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
</context>
<context>
    <name>zent::DirectoryEdit</name>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
</context>
<context>
    <name>zent::RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversion terminée</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) converted into %1</source>
        <translation>
            <numerusform>%n fichier converti dans %1</numerusform>
            <numerusform>%n fichiers convertis dans %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion ended with an error</source>
        <translation>La conversion s’est terminée par une erreur</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Ouvrir le dossier</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) failed</source>
        <translation>
            <numerusform>%n fichier en échec</numerusform>
            <numerusform>%n fichiers en échec</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) with a warning</source>
        <translation>
            <numerusform>%n fichier avec avertissement</numerusform>
            <numerusform>%n fichiers avec avertissement</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>zent::RunReport</name>
    <message>
        <source>Failed</source>
        <translation>Échec</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Ignoré</translation>
    </message>
    <message>
        <source>Converted with a warning</source>
        <translation>Converti avec avertissement</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Arrêté</translation>
    </message>
    <message>
        <source>A file of this name was there already and was left as it was.</source>
        <translation>Un fichier de ce nom existait déjà et n’a pas été modifié.</translation>
    </message>
    <message>
        <source>Run report</source>
        <translation>Rapport de conversion</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Résultat</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Motif</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copier</translation>
    </message>
</context>
<context>
    <name>zent::TMainForm</name>
    <message>
        <source>Add MP3 or OGG files for processing</source>
        <translation>Ajouter des fichiers MP3 ou OGG à traiter</translation>
    </message>
    <message>
        <source>Remove selected files from processing</source>
        <translation>Retirer les fichiers sélectionnés du traitement</translation>
    </message>
    <message>
        <source>Clear all files</source>
        <translation>Retirer tous les fichiers</translation>
    </message>
    <message>
        <source>Set default processing properties</source>
        <translation>Définir les propriétés de traitement par défaut</translation>
    </message>
    <message>
        <source>Start conversion</source>
        <translation>Démarrer la conversion</translation>
    </message>
    <message>
        <source>Exit this application</source>
        <translation>Quitter l’application</translation>
    </message>
    <message>
        <source>Stop conversion</source>
        <translation>Arrêter la conversion</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Dossier de destination</translation>
    </message>
    <message>
        <source>For updates go to</source>
        <translation>Mises à jour sur</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Fichiers à convertir</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nom de fichier</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Projected filesize</source>
        <translation>Taille prévue</translation>
    </message>
    <message>
        <source>Progress of all files</source>
        <translation>Progression de tous les fichiers</translation>
    </message>
    <message>
        <source>Progress of the current file</source>
        <translation>Progression du fichier en cours</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n fichier</numerusform>
            <numerusform>%n fichiers</numerusform>
        </translation>
    </message>
    <message>
        <source>Total disk space needed: %1</source>
        <translation>Espace disque nécessaire&#xa0;: %1</translation>
    </message>
    <message>
        <source>Zent MP3 OGG to WAV converter 1.0</source>
        <translation>Zent, convertisseur MP3 OGG en WAV 1.0</translation>
    </message>
    <message>
        <source>MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</source>
        <translation>Fichiers MP3, Ogg Vorbis, Opus et FLAC (*.mp3; *.ogg; *.opus; *.flac; *.oga)|*.mp3; *.ogg; *.opus; *.flac; *.oga</translation>
    </message>
</context>
<context>
    <name>zent::TOptionsForm</name>
    <message>
        <source>Properties</source>
        <translation>Propriétés</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;ave directory</source>
        <translation>&lt;u&gt;D&lt;/u&gt;ossier de destination par défaut</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>Dossier de destination</translation>
    </message>
    <message>
        <source>Default &lt;u&gt;s&lt;/u&gt;orting</source>
        <translation>&lt;u&gt;T&lt;/u&gt;ri par défaut</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>nom</translation>
    </message>
    <message>
        <source>length</source>
        <translation>durée</translation>
    </message>
    <message>
        <source>ascending order</source>
        <translation>ordre croissant</translation>
    </message>
    <message>
        <source>As the source</source>
        <translation>Comme la source</translation>
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
        <translation>32 bits flottant</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Remplacer</translation>
    </message>
    <message>
        <source>Number the new file</source>
        <translation>Numéroter le nouveau fichier</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Ignorer</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Sortie</translation>
    </message>
    <message>
        <source>Sample format</source>
        <translation>Format d’échantillon</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Fréquence d’échantillonnage</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1&#xa0;Hz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Canaux</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation>Stéréo</translation>
    </message>
    <message>
        <source>Existing files</source>
        <translation>Fichiers existants</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Tâches</translation>
    </message>
    <message>
        <source>As many as processors</source>
        <translation>Autant que de processeurs</translation>
    </message>
    <message>
        <source>Copy tags</source>
        <translation>Copier les balises</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Conserver les dossiers</translation>
    </message>
    <message>
        <source>Keep going when a file fails</source>
        <translation>Continuer si un fichier échoue</translation>
    </message>
</context>
</TS>
