#include "app/CoreTexts.h"

#include <QCoreApplication>
#include <string>

namespace zent {

namespace {

// The translatable patterns, by identity; each is the English pattern of CoreText, so that
// lupdate finds it here.
const char* TranslatablePattern(CoreTextId id) {
    switch (id) {
    case CoreTextId::Plain:
        return nullptr;
    case CoreTextId::PickValidDirectory:
        return QT_TRANSLATE_NOOP("CoreText", "Please pick a valid target directory.");
    case CoreTextId::SampleNotLoaded:
        return QT_TRANSLATE_NOOP("CoreText", "Sample not loaded.");
    case CoreTextId::OpeningFile:
        return QT_TRANSLATE_NOOP("CoreText", "Opening file...");
    case CoreTextId::ClosingFile:
        return QT_TRANSLATE_NOOP("CoreText", "Closing file ...");
    case CoreTextId::Done:
        return QT_TRANSLATE_NOOP("CoreText", "Done %1%");
    case CoreTextId::CannotCreateFile:
        return QT_TRANSLATE_NOOP("CoreText", "Cannot create file \"%1\". %2");
    case CoreTextId::StreamWriteError:
        return QT_TRANSLATE_NOOP("CoreText", "Stream write error: \"%1\". %2");
    case CoreTextId::TargetIsSource:
        return QT_TRANSLATE_NOOP("CoreText", "Cannot create file \"%1\". It is the source file.");
    case CoreTextId::DecoderStuck:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "Cannot decode \"%1\": the decoder stopped delivering data.");
    case CoreTextId::VorbisDamaged:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "Cannot decode \"%1\": the Ogg Vorbis data is damaged.");
    case CoreTextId::OpusDamaged:
        return QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": the Ogg Opus data is damaged.");
    case CoreTextId::CannotSeek:
        return QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": cannot seek in the file.");
    case CoreTextId::CannotDecode:
        return QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": %2");
    case CoreTextId::EndsEarly:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "The file \"%1\" ends early: only %2 of %3 could be decoded.");
    case CoreTextId::UnknownError:
        return QT_TRANSLATE_NOOP("CoreText", "Unknown error");
    case CoreTextId::NoEndMark:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "ends without its end-of-stream mark: it may be cut short");
    case CoreTextId::WrongLength:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "announces a wrong length: the audio its pages hold was decoded");
    case CoreTextId::LostData:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "data lost or damaged at %1: %2 of silence in its place");
    case CoreTextId::FormatChanges:
        return QT_TRANSLATE_NOOP("CoreText", "changes to %1 at %2: converted to %3");
    case CoreTextId::DamagedFrame:
        return QT_TRANSLATE_NOOP("CoreText", "a damaged frame at %1 was replaced by silence");
    case CoreTextId::DamagedFrames:
        return QT_TRANSLATE_NOOP("CoreText",
                                 "%1 damaged frames were replaced by silence, the first at %2");
    case CoreTextId::ChecksumMismatch:
        return QT_TRANSLATE_NOOP(
            "CoreText",
            "the decoded audio does not match the file's checksum: the file is damaged");
    }
    return nullptr;
}

} // namespace

QString ShownCoreText(const CoreText& text) {
    const char* pattern = TranslatablePattern(text.Id);
    if (!pattern)
        return QString::fromStdString(text.English());
    const std::string shown = QCoreApplication::translate("CoreText", pattern).toStdString();
    return QString::fromStdString(FillPattern(shown, text.Args));
}

} // namespace zent
