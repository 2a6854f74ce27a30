#include "settings/OutputItem.h"

#include "framework/TypeInfo.h"

namespace zent {

const TClassInfo& TOutputItem::StaticClassInfo() {
    using T = TOutputItem;
    static const TClassInfo info =
        TClassBuilder<T>("TOutputItem", &TPersistent::StaticClassInfo())
            .Integer(
                "Channels", [](const T& o) { return o.Channels; },
                [](T& o, std::int32_t v) { o.Channels = v; })
            .Boolean(
                "CopyTags", [](const T& o) { return o.CopyTags; },
                [](T& o, bool v) { o.CopyTags = v; })
            .Enumeration<Existing>(
                "ExistingFiles", "TExistingFiles", {"Replace", "Number", "Skip"},
                [](const T& o) { return o.ExistingFiles; },
                [](T& o, Existing v) { o.ExistingFiles = v; })
            .Integer(
                "Jobs", [](const T& o) { return o.Jobs; }, [](T& o, std::int32_t v) { o.Jobs = v; })
            .Boolean(
                "KeepFolders", [](const T& o) { return o.KeepFolders; },
                [](T& o, bool v) { o.KeepFolders = v; })
            .Boolean(
                "KeepGoing", [](const T& o) { return o.KeepGoing; },
                [](T& o, bool v) { o.KeepGoing = v; })
            .Enumeration<Samples>(
                "SampleFormat", "TSampleFormat",
                {"AsSource", "Bits8", "Bits16", "Bits24", "Bits32", "Float32"},
                [](const T& o) { return o.SampleFormat; },
                [](T& o, Samples v) { o.SampleFormat = v; })
            .Integer(
                "SampleRate", [](const T& o) { return o.SampleRate; },
                [](T& o, std::int32_t v) { o.SampleRate = v; })
            .Build();
    return info;
}

} // namespace zent
