#pragma once

#include <cstdint>
#include <string>

namespace zent {

// What the WAV writer needs from whoever shows its progress.
class ConversionView {
public:
    virtual ~ConversionView() = default;
    virtual void SetStatusText(const std::string& text) = 0; // status panel 0; pumps events once
    virtual void SetFileProgress(int percent) = 0;
    virtual void AddTotalProgress(std::int64_t bytes) = 0;
    virtual void ProcessEvents() = 0;
    virtual bool StopRequested() const = 0;
};

} // namespace zent
