#pragma once

#include "convert/ConversionEngine.h"
#include "convert/RunView.h"
#include "decode/Decoder.h"
#include "decode/FileIo.h"
#include "filelist/FileEntry.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zent::test {

// The byte a fake stream delivers at a position of its data.
std::byte PatternByte(std::uint64_t position);
std::vector<std::byte> PatternBytes(std::uint64_t count);

// A stream that delivers given blocks of patterned bytes, or a continuous run of them.
class FakeStream : public DecoderStream {
public:
    FakeStream(int channels, int sampleRate, int bitsPerSample = 16);

    // Each block exactly as given (0 for an empty block); LengthBytes is their sum.
    void SetBlocks(std::vector<std::size_t> blocks);
    // totalBytes, each request filled as far as the rest allows.
    void SetContinuous(std::uint64_t totalBytes);
    void SetLength(std::int64_t lengthBytes) { FLength = lengthBytes; }
    // Read throws EDecoderError(message) once this many blocks were delivered.
    void FailAfter(std::size_t blocks, std::string message);

    int Channels() const override { return FChannels; }
    int BitsPerSample() const override { return FBits; }
    int SampleRate() const override { return FRate; }
    std::int64_t LengthBytes() const override { return FLength; }
    std::int64_t CodecFrameFrames() const override { return 1152; }
    bool IsActive() const override;
    ReadResult Read(std::span<std::byte> buffer) override;

    std::size_t ReadCount() const { return FReads; }
    const std::vector<std::size_t>& RequestSizes() const { return FRequests; }

private:
    int FChannels;
    int FRate;
    int FBits;
    std::vector<std::size_t> FBlocks;
    std::size_t FNextBlock = 0;
    bool FContinuous = false;
    std::uint64_t FTotal = 0;
    std::uint64_t FDelivered = 0;
    std::int64_t FLength = 0;
    std::optional<std::size_t> FFailAfter;
    std::string FFailMessage;
    std::size_t FReads = 0;
    std::vector<std::size_t> FRequests;
};

// The file system calls a test can make fail.
enum class IoCall { Read, Write, WriteAt, Truncate, Rename };

// Serves every file opened while it exists. Once told to, it fails calls of one kind from
// a chosen one on, as a full disk or a failing device does: each with errorNumber, or the
// first storing half of its bytes and reporting that (a short write).
class FaultyFileIo : public FileIo {
public:
    FaultyFileIo();
    ~FaultyFileIo() override;
    FaultyFileIo(const FaultyFileIo&) = delete;
    FaultyFileIo& operator=(const FaultyFileIo&) = delete;

    // callsBefore calls of that kind still succeed, counted from now.
    void Fail(IoCall call, int callsBefore, int errorNumber, bool shortFirst = false);

    ssize_t Read(int handle, void* buffer, std::size_t size) override;
    ssize_t Write(int handle, const void* data, std::size_t size) override;
    ssize_t WriteAt(int handle, const void* data, std::size_t size, off_t offset) override;
    int Truncate(int handle, off_t size) override;
    int Rename(const char* from, const char* to) override;

private:
    // True when this call fails; sets errno then.
    bool Fails(IoCall call, bool& shortNow);

    std::optional<IoCall> FCall;
    int FCallsLeft = 0;
    int FError = 0;
    bool FShortFirst = false;
};

// What follows the prefix, of each call that starts with it.
std::vector<std::string> CallsAfter(const std::vector<std::string>& calls, std::string_view prefix);

// One file through the conversion engine, as both programs convert it, with a log of the
// engine's events: "started", "bytes:B done:D of:L" for each block, "ended". Events from
// several jobs are taken one at a time.
class EngineRun final : public EngineObserver {
public:
    EngineSettings Settings;
    std::vector<std::string> Events;
    // Runs after each block (e.g. to stop the engine: Stop(0) keeps the file).
    std::function<void(ConversionEngine& engine, std::int64_t fileDone)> OnBytes;

    // The stream stands for the source "fake.mp3"; it must outlive the call.
    FileReport Convert(DecoderStream& stream, const std::filesystem::path& target);
    FileReport Convert(const std::filesystem::path& source, const std::filesystem::path& target);
    std::int64_t BytesCounted() const;

    void FileStarted(FileId id) override;
    void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                      std::int64_t fileLength) override;
    void FileEnded(const FileReport& report) override;

private:
    FileReport Run(const std::filesystem::path& source, const std::filesystem::path& target);

    ConversionEngine* FEngine = nullptr;
    std::mutex FMutex;
    FileReport FReport;
    std::int64_t FBytes = 0;
};

// Every byte of a file.
std::vector<std::byte> ReadAll(const std::filesystem::path& path);

// A WAV file read back field by field.
struct WavFile {
    std::uint64_t FileSize = 0;
    std::string Riff, Wave, Fmt, Data;
    std::uint32_t RiffSize = 0, FmtSize = 0, SampleRate = 0, ByteRate = 0, DataSize = 0;
    std::uint16_t FormatTag = 0, Channels = 0, BlockAlign = 0, BitsPerSample = 0;
    std::vector<std::byte> Samples; // everything after the 44 header bytes
};
WavFile ReadWavFile(const std::filesystem::path& path);

// The data chunk of any RIFF/WAVE file, found by walking its chunks.
std::vector<std::byte> ReadWavDataChunk(const std::filesystem::path& path);

// Every byte the decoder delivers for a source file.
std::vector<std::byte> DecodeAll(const std::filesystem::path& source);

// The names in a directory, hidden ones included, sorted.
std::vector<std::string> FileNames(const std::filesystem::path& directory);

void WriteBytes(const std::filesystem::path& path, std::size_t count, char fill);

// The window as the run sees it: a list of entries and a log of every call that acts.
class RecordingRunView : public RunView {
public:
    RecordingRunView();

    std::string Directory;
    double ProjectedTotal = 0;
    bool Stop = false;
    std::vector<std::unique_ptr<FileEntry>> Entries;
    std::vector<std::string> Log;
    // Runs after each logged call, e.g. to add an entry or request a stop mid-run.
    std::function<void(const std::string&)> OnCall;

    FileEntry& AddEntry(const std::filesystem::path& sourcePath);
    std::vector<std::string> EntryNames() const;
    // The log without the calls that repeat for every block and every pump.
    std::vector<std::string> RunSteps() const;
    std::vector<int> TotalPercents() const;

    std::string TargetDirectoryText() const override { return Directory; }
    void ShowErrorMessage(const CoreText& message) override;
    void FocusTargetDirectory() override;
    FileEntry* FirstEntry() override;
    std::size_t EntryCount() const override { return Entries.size(); }
    FileEntry* EntryAt(std::size_t index) override { return Entries[index].get(); }
    void RemoveEntry(const FileEntry* entry) override;
    double TotalProjectedSize() const override { return ProjectedTotal; }
    void ClearSelectionAndFocusList() override;
    void SelectAndFocus(const FileEntry* entry) override;
    void BeginConversionState() override;
    void EndConversionState() override;
    void UpdateStatus() override;
    void SetStatusText(const CoreText& text) override;
    void SetStatusInfo(const std::string& text) override;
    void SetFileProgress(int percent) override;
    void SetTotalProgress(int percent) override;
    bool StopRequested() const override { return Stop; }
    void ClearStopRequest() override;

private:
    void Record(const std::string& call);
};

} // namespace zent::test
