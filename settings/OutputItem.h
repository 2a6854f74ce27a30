#pragma once

#include "framework/Object.h"

#include <cstdint>

namespace zent {

// What a conversion writes, beside the options in the configuration file: every value's
// default gives the files the window has always written. Published: Channels, CopyTags,
// ExistingFiles, Jobs, KeepFolders, KeepGoing, SampleFormat, SampleRate.
class TOutputItem : public TPersistent {
public:
    enum class Samples { AsSource, Bits8, Bits16, Bits24, Bits32, Float32 };
    enum class Existing { Replace, Number, Skip };

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    Samples SampleFormat = Samples::AsSource;
    std::int32_t SampleRate = 0; // Hz; 0 keeps the source's
    std::int32_t Channels = 0;   // 1 or 2; 0 keeps the source's
    bool CopyTags = false;
    Existing ExistingFiles = Existing::Replace;
    bool KeepFolders = false;
    bool KeepGoing = false;
    std::int32_t Jobs = 0; // 0: as many as processors
};

// The rates the dialog offers besides the source's own.
inline constexpr std::int32_t kOfferedSampleRates[] = {8000,  11025, 16000, 22050, 32000,
                                                       44100, 48000, 88200, 96000, 192000};

} // namespace zent
