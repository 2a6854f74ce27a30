// zent.cfg as a person may have edited it: load it into the options record as the main window
// does, save the record into the same file, load again. The second load must give the record
// that the first one gave, and must not fail.
#include "framework/Errors.h"
#include "fuzz/FuzzSupport.h"
#include "settings/ZentStruc.h"
#include "settings/clSerializers.h"

#include <memory>

namespace {

constexpr const char* kDefaultDir = "/opt/zent/Temp";

struct Values {
    bool Ascending;
    std::string DefaultDir;
    std::string Name;
    std::int32_t Ordering;
    std::int32_t Tag;
    bool operator==(const Values&) const = default;
};

// One run of the program: the main window owns the record, beside a list named VST1.
class Run {
public:
    Run() : FWindow(std::make_unique<zent::TComponent>()) {
        (new zent::TComponent(FWindow.get()))->SetName("VST1");
        FOptions = new zent::TOptionsItem(FWindow.get());
    }

    // Defaults, the file over them, the default directory again for an empty one. False when
    // the file holds a value that cannot be taken.
    bool LoadOptions(const std::string& fileName) {
        using namespace zent;
        FOptions->SetDefaultDir(kDefaultDir);
        FOptions->SetOrdering(0);
        FOptions->SetAscending(true);
        bool loaded = true;
        try {
            std::string missing;
            IniSerializer().LoadObjFromIniFile(FOptions, fileName, "Options", missing);
        } catch (const EConvertError&) {
            loaded = false;
        } catch (const EComponentError&) {
            loaded = false;
        }
        if (FOptions->DefaultDir().empty())
            FOptions->SetDefaultDir(kDefaultDir);
        return loaded;
    }

    void SaveOptions(const std::string& fileName) {
        zent::IniSerializer().SaveObjToIniFile(FOptions, fileName, "Options");
    }

    Values Options() const {
        return Values{FOptions->Ascending(), FOptions->DefaultDir(), FOptions->Name(),
                      FOptions->Ordering(), FOptions->Tag()};
    }

private:
    std::unique_ptr<zent::TComponent> FWindow;
    zent::TOptionsItem* FOptions;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zent;
    const std::string file = fuzz::ScratchFile("zent.cfg").string();
    fuzz::WriteBytes(file, data, size);

    Run first;
    first.LoadOptions(file);
    first.SaveOptions(file);
    Run second;
    fuzz::Check(second.LoadOptions(file), "a saved file loads without an error");
    fuzz::Check(second.Options() == first.Options(), "a saved record loads as it was saved");
    return 0;
}
