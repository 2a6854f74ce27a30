#pragma once

#include "framework/IniFile.h"
#include "framework/Object.h"
#include "settings/clRTTI.h"

#include <cstdint>
#include <string>

namespace zent {

// Stores an object's published properties under a path and loads them back, walking the
// properties through TrtWrapper; the storage itself is left to a subclass.
class TclAbstractSerializer : public TObject {
public:
    // The path up to and including its last "\" or ":"; empty when it has neither.
    virtual std::string GetParentPath(const std::string& path) const;
    virtual std::string GetSubPath(const std::string& path, const std::string& name) const;
    // The part of the path after its last "\" or ":".
    virtual std::string GetPathName(const std::string& path) const;

    virtual void CreatePath(const std::string& path) = 0;
    virtual void ErasePath(const std::string& path) = 0;
    virtual bool PathExists(const std::string& path) = 0;
    virtual bool ValueExists(const std::string& path, const std::string& key) = 0;
    virtual void WriteString(const std::string& path, const std::string& key,
                             const std::string& text) = 0;
    virtual void WriteDateTime(const std::string& path, const std::string& key,
                               TDateTime value) = 0;
    virtual void WriteTime(const std::string& path, const std::string& key, TDateTime value) = 0;
    virtual void WriteDate(const std::string& path, const std::string& key, TDateTime value) = 0;
    virtual void WriteFloat(const std::string& path, const std::string& key, double value) = 0;
    virtual void WriteInteger(const std::string& path, const std::string& key,
                              std::int64_t value) = 0;
    virtual std::string ReadString(const std::string& path, const std::string& key) = 0;
    virtual TDateTime ReadDateTime(const std::string& path, const std::string& key) = 0;
    virtual TDateTime ReadTime(const std::string& path, const std::string& key) = 0;
    virtual TDateTime ReadDate(const std::string& path, const std::string& key) = 0;
    virtual double ReadFloat(const std::string& path, const std::string& key) = 0;
    virtual std::int32_t ReadInteger(const std::string& path, const std::string& key) = 0;

    // The save walk: erases the path and writes every visible, writable property.
    virtual void DoSerializeFrom(TObject* source, const std::string& path);
    virtual void DoSerializeFrom(TrtWrapper* source, const std::string& path);
    // The load walk; missing receives the names of properties without a stored value,
    // separated by ",". A value that cannot be converted leaves its property as it was and the
    // walk goes on; the first such error is raised at the end.
    virtual void DoDeserializeTo(TObject* target, const std::string& path, std::string& missing);
    virtual void DoDeserializeTo(TrtWrapper* target, const std::string& path, std::string& missing);

private:
    struct FloatAccess {
        void (TclAbstractSerializer::*Write)(const std::string&, const std::string&, double);
        double (TclAbstractSerializer::*Read)(const std::string&, const std::string&);
    };
    static FloatAccess FloatAccessOf(const TrtProperty& property);

    void LoadProperty(TrtProperty& property, const TrtWrapper& holder, const std::string& path);
    void SaveNested(TObject* object, const TrtWrapper& holder, const std::string& path);
    void LoadNested(TObject* object, const TrtWrapper& holder, const std::string& path);
};

// The serializer on INI files: a path is a section name, nested objects go to sections named
// "parent\property".
class TclIniSerializer : public TclAbstractSerializer {
public:
    void SaveObjToIniFile(TPersistent* source, const std::string& fileName,
                          const std::string& section);
    void SaveObjToIniFile(TrtWrapper* source, const std::string& fileName,
                          const std::string& section);
    // Leaves the changes in iniFile; its UpdateFile writes them.
    void SaveObjToIni(TrtWrapper* source, TIniFile& iniFile, const std::string& section);
    void LoadObjFromIniFile(TPersistent* target, const std::string& fileName,
                            const std::string& section, std::string& missing);
    void LoadObjFromIni(TIniFile& iniFile, const std::string& section, TPersistent* target,
                        std::string& missing);

    void CreatePath(const std::string& path) override;
    void ErasePath(const std::string& path) override;
    bool PathExists(const std::string& path) override;
    bool ValueExists(const std::string& path, const std::string& key) override;
    void WriteString(const std::string& path, const std::string& key,
                     const std::string& text) override;
    void WriteDateTime(const std::string& path, const std::string& key, TDateTime value) override;
    void WriteTime(const std::string& path, const std::string& key, TDateTime value) override;
    void WriteDate(const std::string& path, const std::string& key, TDateTime value) override;
    void WriteFloat(const std::string& path, const std::string& key, double value) override;
    void WriteInteger(const std::string& path, const std::string& key, std::int64_t value) override;
    std::string ReadString(const std::string& path, const std::string& key) override;
    TDateTime ReadDateTime(const std::string& path, const std::string& key) override;
    TDateTime ReadTime(const std::string& path, const std::string& key) override;
    TDateTime ReadDate(const std::string& path, const std::string& key) override;
    double ReadFloat(const std::string& path, const std::string& key) override;
    std::int32_t ReadInteger(const std::string& path, const std::string& key) override;

private:
    class CurrentFile;
    TIniFile& File() const;

    TIniFile* FIniFile = nullptr;
};

// The process-wide serializer, created on first use.
TclIniSerializer& IniSerializer();

} // namespace zent
