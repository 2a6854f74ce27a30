// Any INI text read into an object with every kind of property the serializer stores. What a
// load accepted must save, and the saved text must load again without an error and save as
// the same text.
#include "framework/Errors.h"
#include "fuzz/FuzzSupport.h"
#include "settings/clSerializers.h"
#include "tests/settings/SampleClasses.h"

namespace {

constexpr const char* kSection = "Sample";

std::string SavedText(zent::test::TSample& sample, const std::string& file) {
    zent::IniSerializer().SaveObjToIniFile(&sample, file, kSection);
    return zent::fuzz::ReadBytes(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zent;
    const std::string file = fuzz::ScratchFile("sample.ini").string();
    fuzz::WriteBytes(file, data, size);

    test::TSample first;
    std::string missing;
    try {
        IniSerializer().LoadObjFromIniFile(&first, file, kSection, missing);
    } catch (const EConvertError&) {
    }
    const std::string saved = SavedText(first, file);

    test::TSample second;
    try {
        IniSerializer().LoadObjFromIniFile(&second, file, kSection, missing);
    } catch (const EConvertError&) {
        fuzz::Check(false, "a saved object loads without an error");
    }
    fuzz::Check(SavedText(second, file) == saved, "a saved object saves again as the same text");
    return 0;
}
