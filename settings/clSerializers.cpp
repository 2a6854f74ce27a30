#include "settings/clSerializers.h"

#include "framework/Assert.h"
#include "framework/Collection.h"
#include "framework/Errors.h"
#include "framework/Strings.h"
#include "framework/Text.h"

#include <cstdint>
#include <exception>

namespace zent {

namespace {

constexpr std::string_view kUnit = "clSerializers";
constexpr std::string_view kPathSeparators = "\\:";
constexpr char kPathSeparator = '\\';
constexpr std::string_view kLineKey = "Line";
constexpr std::string_view kItemSection = "CItem";
constexpr std::string_view kCollectionKey = "rt_TCollection";
constexpr std::string_view kCollectionMark = "1";
constexpr std::int64_t kMaxCollectionItems = 2147483648;
constexpr std::string_view kNoIniFile = "No INI file is open";

std::string Numbered(std::string_view prefix, std::int64_t n) {
    return std::string(prefix) + std::to_string(n);
}

bool IsTextLikeKind(TTypeKind kind) {
    return kind == TTypeKind::tkEnumeration || kind == TTypeKind::tkString ||
           kind == TTypeKind::tkSet || kind == TTypeKind::tkLString || kind == TTypeKind::tkWString;
}

bool IsStoredObject(const TrtProperty& property) {
    return property.PropKind() == TTypeKind::tkClass && property.IsPersistentClass();
}

} // namespace

// TclAbstractSerializer

// Dates and times are floats whose type name asks for their own text form.
TclAbstractSerializer::FloatAccess
TclAbstractSerializer::FloatAccessOf(const TrtProperty& property) {
    const std::string& typeName = property.PropType().Name;
    if (SameText(typeName, "TDateTime"))
        return {&TclAbstractSerializer::WriteDateTime, &TclAbstractSerializer::ReadDateTime};
    if (SameText(typeName, "TTime"))
        return {&TclAbstractSerializer::WriteTime, &TclAbstractSerializer::ReadTime};
    if (SameText(typeName, "TDate"))
        return {&TclAbstractSerializer::WriteDate, &TclAbstractSerializer::ReadDate};
    return {&TclAbstractSerializer::WriteFloat, &TclAbstractSerializer::ReadFloat};
}

std::string TclAbstractSerializer::GetParentPath(const std::string& path) const {
    const auto last = path.find_last_of(kPathSeparators);
    return last == std::string::npos ? std::string{} : path.substr(0, last + 1);
}

std::string TclAbstractSerializer::GetSubPath(const std::string& path,
                                              const std::string& name) const {
    return path + kPathSeparator + name;
}

std::string TclAbstractSerializer::GetPathName(const std::string& path) const {
    const auto last = path.find_last_of(kPathSeparators);
    return last == std::string::npos ? path : path.substr(last + 1);
}

void TclAbstractSerializer::DoSerializeFrom(TObject* source, const std::string& path) {
    ZENT_ASSERT(source != nullptr, "DoSerializeFrom: Source cannot be nil", kUnit);
    TrtWrapper wrapper(*source);
    DoSerializeFrom(&wrapper, path);
}

void TclAbstractSerializer::DoSerializeFrom(TrtWrapper* source, const std::string& path) {
    ZENT_ASSERT(source != nullptr, "DoSerializeFrom: Source cannot be nil", kUnit);
    ZENT_ASSERT(source->Instance() != nullptr,
                "DoSerializeFrom: Source wrapper's object cannot be nil", kUnit);
    ErasePath(path);
    for (int i = 0; i < source->Count(); ++i) {
        TrtProperty& property = source->Properties(i);
        if (property.IsReadOnly())
            continue;
        const std::string& name = property.PropName();
        const TTypeKind kind = property.PropKind();
        if (kind == TTypeKind::tkInteger || kind == TTypeKind::tkChar) {
            WriteInteger(path, name, property.AsInteger());
        } else if (IsTextLikeKind(kind)) {
            WriteString(path, name, property.AsString());
        } else if (kind == TTypeKind::tkFloat) {
            (this->*FloatAccessOf(property).Write)(path, name, property.AsFloat());
        } else if (IsStoredObject(property)) {
            SaveNested(property.AsObject(), *source, GetSubPath(path, name));
        }
    }
}

void TclAbstractSerializer::SaveNested(TObject* object, const TrtWrapper& holder,
                                       const std::string& path) {
    if (object == nullptr)
        return;
    TrtWrapper wrapper(*object, holder.TypeKinds(), holder.Excluded().Lines());
    ErasePath(path);
    CreatePath(path);
    if (object->InheritsFrom(TStrings::StaticClassInfo())) {
        const auto& lines = static_cast<TStrings&>(*object);
        for (int i = 0; i < lines.Count(); ++i)
            WriteString(path, Numbered(kLineKey, i), lines.Strings(i));
    } else {
        DoSerializeFrom(&wrapper, path);
    }
    if (object->InheritsFrom(TCollection::StaticClassInfo())) {
        auto& collection = static_cast<TCollection&>(*object);
        WriteString(path, std::string(kCollectionKey), std::string(kCollectionMark));
        for (std::int64_t n = 0;; ++n) {
            const std::string itemPath = GetSubPath(path, Numbered(kItemSection, n));
            if (!PathExists(itemPath))
                break;
            ErasePath(itemPath);
        }
        for (int n = 0; n < collection.Count(); ++n)
            SaveNested(&collection.Items(n), wrapper, GetSubPath(path, Numbered(kItemSection, n)));
    }
}

void TclAbstractSerializer::DoDeserializeTo(TObject* target, const std::string& path,
                                            std::string& missing) {
    ZENT_ASSERT(target != nullptr, "DoDeserializeTo: Target cannot be nil", kUnit);
    TrtWrapper wrapper(*target);
    DoDeserializeTo(&wrapper, path, missing);
}

void TclAbstractSerializer::DoDeserializeTo(TrtWrapper* target, const std::string& path,
                                            std::string& missing) {
    ZENT_ASSERT(target != nullptr, "DoDeserializeTo: Target cannot be nil", kUnit);
    missing.clear();
    std::exception_ptr firstError;
    for (int i = 0; i < target->Count(); ++i) {
        TrtProperty& property = target->Properties(i);
        if (property.IsReadOnly())
            continue;
        const std::string& name = property.PropName();
        if (!ValueExists(path, name) && !PathExists(GetSubPath(path, name))) {
            if (!missing.empty())
                missing += ',';
            missing += name;
            continue;
        }
        try {
            LoadProperty(property, *target, path);
        } catch (const EAssertionFailed&) {
            throw;
        } catch (const Error&) {
            // A value that cannot be taken costs only its own property, so one bad line
            // never loses the others; the first such error is raised once they are loaded.
            if (!firstError)
                firstError = std::current_exception();
        }
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

void TclAbstractSerializer::LoadProperty(TrtProperty& property, const TrtWrapper& holder,
                                         const std::string& path) {
    const std::string& name = property.PropName();
    const TTypeKind kind = property.PropKind();
    if (kind == TTypeKind::tkInteger || kind == TTypeKind::tkChar) {
        property.SetAsInteger(ReadInteger(path, name));
    } else if (IsTextLikeKind(kind)) {
        property.SetAsString(ReadString(path, name));
    } else if (kind == TTypeKind::tkFloat) {
        property.SetAsFloat((this->*FloatAccessOf(property).Read)(path, name));
    } else if (IsStoredObject(property)) {
        LoadNested(property.AsObject(), holder, GetSubPath(path, name));
    }
}

void TclAbstractSerializer::LoadNested(TObject* object, const TrtWrapper& holder,
                                       const std::string& path) {
    if (object == nullptr)
        return;
    TrtWrapper wrapper(*object, holder.TypeKinds(), holder.Excluded().Lines());
    if (object->InheritsFrom(TStrings::StaticClassInfo())) {
        auto& lines = static_cast<TStrings&>(*object);
        lines.BeginUpdate();
        lines.Clear();
        for (std::int64_t n = 0;; ++n) {
            const std::string key = Numbered(kLineKey, n);
            if (!ValueExists(path, key))
                break;
            lines.Add(ReadString(path, key));
        }
        lines.EndUpdate();
    } else {
        std::string ignored;
        DoDeserializeTo(&wrapper, path, ignored);
    }
    if (object->InheritsFrom(TCollection::StaticClassInfo())) {
        auto& collection = static_cast<TCollection&>(*object);
        collection.Clear();
        for (std::int64_t n = 0; n < kMaxCollectionItems; ++n) {
            const std::string itemPath = GetSubPath(path, Numbered(kItemSection, n));
            if (!PathExists(itemPath))
                break;
            LoadNested(&collection.Add(), wrapper, itemPath);
        }
    }
}

// TclIniSerializer

// Makes a file the serializer's current one for the length of one operation.
class TclIniSerializer::CurrentFile {
public:
    CurrentFile(TclIniSerializer& serializer, TIniFile& file)
        : FSerializer(serializer), FPrevious(serializer.FIniFile) {
        serializer.FIniFile = &file;
    }
    ~CurrentFile() { FSerializer.FIniFile = FPrevious; }
    CurrentFile(const CurrentFile&) = delete;
    CurrentFile& operator=(const CurrentFile&) = delete;

private:
    TclIniSerializer& FSerializer;
    TIniFile* FPrevious;
};

TIniFile& TclIniSerializer::File() const {
    ZENT_ASSERT(FIniFile != nullptr, kNoIniFile, kUnit);
    return *FIniFile;
}

void TclIniSerializer::SaveObjToIniFile(TPersistent* source, const std::string& fileName,
                                        const std::string& section) {
    ZENT_ASSERT(source != nullptr, "SaveObjToIniFile: Source cannot be nil", kUnit);
    TrtWrapper wrapper(*source);
    SaveObjToIniFile(&wrapper, fileName, section);
}

void TclIniSerializer::SaveObjToIniFile(TrtWrapper* source, const std::string& fileName,
                                        const std::string& section) {
    ZENT_ASSERT(source != nullptr, "SaveObjToIniFile: Source cannot be nil", kUnit);
    TIniFile iniFile(fileName);
    SaveObjToIni(source, iniFile, section);
    iniFile.UpdateFile();
}

void TclIniSerializer::SaveObjToIni(TrtWrapper* source, TIniFile& iniFile,
                                    const std::string& section) {
    CurrentFile current(*this, iniFile);
    DoSerializeFrom(source, section);
}

void TclIniSerializer::LoadObjFromIniFile(TPersistent* target, const std::string& fileName,
                                          const std::string& section, std::string& missing) {
    ZENT_ASSERT(target != nullptr, "LoadObjFromIniFile: Target cannot be nil", kUnit);
    TIniFile iniFile(fileName);
    LoadObjFromIni(iniFile, section, target, missing);
}

void TclIniSerializer::LoadObjFromIni(TIniFile& iniFile, const std::string& section,
                                      TPersistent* target, std::string& missing) {
    CurrentFile current(*this, iniFile);
    DoDeserializeTo(static_cast<TObject*>(target), section, missing);
}

void TclIniSerializer::CreatePath(const std::string&) {}

void TclIniSerializer::ErasePath(const std::string& path) {
    File().EraseSection(path);
}

bool TclIniSerializer::PathExists(const std::string& path) {
    return File().SectionExists(path);
}

bool TclIniSerializer::ValueExists(const std::string& path, const std::string& key) {
    return File().ValueExists(path, key);
}

void TclIniSerializer::WriteString(const std::string& path, const std::string& key,
                                   const std::string& text) {
    File().WriteString(path, key, text);
}

void TclIniSerializer::WriteDateTime(const std::string& path, const std::string& key,
                                     TDateTime value) {
    File().WriteDateTime(path, key, value);
}

void TclIniSerializer::WriteTime(const std::string& path, const std::string& key, TDateTime value) {
    File().WriteTime(path, key, value);
}

void TclIniSerializer::WriteDate(const std::string& path, const std::string& key, TDateTime value) {
    File().WriteDate(path, key, value);
}

void TclIniSerializer::WriteFloat(const std::string& path, const std::string& key, double value) {
    File().WriteFloat(path, key, value);
}

void TclIniSerializer::WriteInteger(const std::string& path, const std::string& key,
                                    std::int64_t value) {
    File().WriteInteger(path, key, value);
}

std::string TclIniSerializer::ReadString(const std::string& path, const std::string& key) {
    return File().ReadString(path, key);
}

TDateTime TclIniSerializer::ReadDateTime(const std::string& path, const std::string& key) {
    return File().ReadDateTime(path, key);
}

TDateTime TclIniSerializer::ReadTime(const std::string& path, const std::string& key) {
    return File().ReadTime(path, key);
}

TDateTime TclIniSerializer::ReadDate(const std::string& path, const std::string& key) {
    return File().ReadDate(path, key);
}

double TclIniSerializer::ReadFloat(const std::string& path, const std::string& key) {
    return File().ReadFloat(path, key);
}

std::int32_t TclIniSerializer::ReadInteger(const std::string& path, const std::string& key) {
    return File().ReadInteger(path, key);
}

TclIniSerializer& IniSerializer() {
    static TclIniSerializer instance;
    return instance;
}

} // namespace zent
