#include "tests/convert/ConvertTestSupport.h"

#include "convert/WavFinish.h"
#include "framework/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace zent::test {

namespace {

std::uint32_t U32At(const std::vector<std::byte>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::to_integer<std::uint32_t>(bytes.at(offset + i)) << (8 * i);
    return value;
}

std::uint16_t U16At(const std::vector<std::byte>& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(std::to_integer<std::uint16_t>(bytes.at(offset)) |
                                      std::to_integer<std::uint16_t>(bytes.at(offset + 1)) << 8);
}

std::string TagAt(const std::vector<std::byte>& bytes, std::size_t offset) {
    std::string tag(4, ' ');
    for (std::size_t i = 0; i < 4; ++i)
        tag[i] = static_cast<char>(bytes.at(offset + i));
    return tag;
}

} // namespace

std::vector<std::byte> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

std::byte PatternByte(std::uint64_t position) {
    return static_cast<std::byte>((position * 7 + position / 251) & 0xFFu);
}

std::vector<std::byte> PatternBytes(std::uint64_t count) {
    std::vector<std::byte> bytes(count);
    for (std::uint64_t i = 0; i < count; ++i)
        bytes[i] = PatternByte(i);
    return bytes;
}

FakeStream::FakeStream(int channels, int sampleRate, int bitsPerSample)
    : FChannels(channels), FRate(sampleRate), FBits(bitsPerSample) {}

void FakeStream::SetBlocks(std::vector<std::size_t> blocks) {
    FBlocks = std::move(blocks);
    FContinuous = false;
    FLength = 0;
    for (const std::size_t block : FBlocks)
        FLength += static_cast<std::int64_t>(block);
}

void FakeStream::SetContinuous(std::uint64_t totalBytes) {
    FContinuous = true;
    FTotal = totalBytes;
    FLength = static_cast<std::int64_t>(totalBytes);
}

void FakeStream::FailAfter(std::size_t blocks, std::string message) {
    FFailAfter = blocks;
    FFailMessage = std::move(message);
}

bool FakeStream::IsActive() const {
    if (FFailAfter && FReads >= *FFailAfter)
        return true;
    return FContinuous ? FDelivered < FTotal : FNextBlock < FBlocks.size();
}

ReadResult FakeStream::Read(std::span<std::byte> buffer) {
    FRequests.push_back(buffer.size());
    if (FFailAfter && FReads >= *FFailAfter)
        throw EDecoderError(FFailMessage);
    if (!IsActive())
        return {};
    ++FReads;
    std::size_t count = 0;
    if (FContinuous) {
        count =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), FTotal - FDelivered));
    } else {
        count = FBlocks.at(FNextBlock++);
        if (count > buffer.size())
            throw std::logic_error("fake block larger than the buffer");
    }
    for (std::size_t i = 0; i < count; ++i)
        buffer[i] = PatternByte(FDelivered + i);
    FDelivered += count;
    return ReadResult::Of(count, !IsActive());
}

FaultyFileIo::FaultyFileIo() {
    SetFileIoForTesting(this);
}

FaultyFileIo::~FaultyFileIo() {
    SetFileIoForTesting(nullptr);
}

void FaultyFileIo::Fail(IoCall call, int callsBefore, int errorNumber, bool shortFirst) {
    FCall = call;
    FCallsLeft = callsBefore;
    FError = errorNumber;
    FShortFirst = shortFirst;
}

bool FaultyFileIo::Fails(IoCall call, bool& shortNow) {
    shortNow = false;
    if (FCall != call)
        return false;
    if (FCallsLeft > 0) {
        --FCallsLeft;
        return false;
    }
    if (FShortFirst) {
        FShortFirst = false;
        shortNow = true;
        return false;
    }
    errno = FError;
    return true;
}

ssize_t FaultyFileIo::Read(int handle, void* buffer, std::size_t size) {
    bool shortNow = false;
    if (Fails(IoCall::Read, shortNow))
        return -1;
    return FileIo::Read(handle, buffer, shortNow ? size / 2 : size);
}

ssize_t FaultyFileIo::Write(int handle, const void* data, std::size_t size) {
    bool shortNow = false;
    if (Fails(IoCall::Write, shortNow))
        return -1;
    return FileIo::Write(handle, data, shortNow ? size / 2 : size);
}

ssize_t FaultyFileIo::WriteAt(int handle, const void* data, std::size_t size, off_t offset) {
    bool shortNow = false;
    if (Fails(IoCall::WriteAt, shortNow))
        return -1;
    return FileIo::WriteAt(handle, data, shortNow ? size / 2 : size, offset);
}

int FaultyFileIo::Truncate(int handle, off_t size) {
    bool shortNow = false;
    return Fails(IoCall::Truncate, shortNow) ? -1 : FileIo::Truncate(handle, size);
}

int FaultyFileIo::Rename(const char* from, const char* to) {
    bool shortNow = false;
    return Fails(IoCall::Rename, shortNow) ? -1 : FileIo::Rename(from, to);
}

std::vector<std::string> CallsAfter(const std::vector<std::string>& calls,
                                    std::string_view prefix) {
    std::vector<std::string> rests;
    for (const std::string& call : calls)
        if (call.starts_with(prefix))
            rests.push_back(call.substr(prefix.size()));
    return rests;
}

namespace {

// Hands a stream the test owns to the engine.
class BorrowedStream final : public DecoderStream {
public:
    explicit BorrowedStream(DecoderStream& stream) : F(stream) {}
    int Channels() const override { return F.Channels(); }
    SampleKind Kind() const override { return F.Kind(); }
    int BitsPerSample() const override { return F.BitsPerSample(); }
    int SampleRate() const override { return F.SampleRate(); }
    AudioTags Tags() const override { return F.Tags(); }
    std::int64_t LengthBytes() const override { return F.LengthBytes(); }
    bool IsActive() const override { return F.IsActive(); }
    std::int64_t CodecFrameFrames() const override { return F.CodecFrameFrames(); }
    std::vector<CoreText> Warnings() const override { return F.Warnings(); }
    ReadResult Read(std::span<std::byte> buffer) override { return F.Read(buffer); }

private:
    DecoderStream& F;
};

} // namespace

FileReport EngineRun::Convert(DecoderStream& stream, const std::filesystem::path& target) {
    bool opened = false;
    Settings.OpenStream = [&](const std::filesystem::path&) -> std::unique_ptr<DecoderStream> {
        if (std::exchange(opened, true))
            return nullptr;
        return std::make_unique<BorrowedStream>(stream);
    };
    return Run("fake.mp3", target);
}

FileReport EngineRun::Convert(const std::filesystem::path& source,
                              const std::filesystem::path& target) {
    return Run(source, target);
}

FileReport EngineRun::Run(const std::filesystem::path& source,
                          const std::filesystem::path& target) {
    EngineProgress progress;
    ConversionEngine engine(Settings, *this, progress);
    FEngine = &engine;
    engine.Add({source.native(), target.native()});
    engine.Close();
    engine.Run();
    FEngine = nullptr;
    return FReport;
}

std::int64_t EngineRun::BytesCounted() const {
    return FBytes;
}

void EngineRun::FileStarted(FileId) {
    const std::lock_guard lock(FMutex);
    Events.push_back("started");
}

void EngineRun::BytesWritten(FileId, std::int64_t bytes, std::int64_t fileDone,
                             std::int64_t fileLength) {
    const std::lock_guard lock(FMutex);
    FBytes += bytes;
    Events.push_back("bytes:" + std::to_string(bytes) + " done:" + std::to_string(fileDone) +
                     " of:" + std::to_string(fileLength));
    if (OnBytes)
        OnBytes(*FEngine, fileDone);
}

void EngineRun::FileEnded(const FileReport& report) {
    const std::lock_guard lock(FMutex);
    Events.push_back("ended");
    FReport = report;
}

WavFile ReadWavFile(const std::filesystem::path& path) {
    const std::vector<std::byte> bytes = ReadAll(path);
    if (bytes.size() < 44)
        throw std::runtime_error("shorter than a WAV header: " + path.string());
    WavFile wav;
    wav.FileSize = bytes.size();
    wav.Riff = TagAt(bytes, 0);
    wav.RiffSize = U32At(bytes, 4);
    wav.Wave = TagAt(bytes, 8);
    wav.Fmt = TagAt(bytes, 12);
    wav.FmtSize = U32At(bytes, 16);
    wav.FormatTag = U16At(bytes, 20);
    wav.Channels = U16At(bytes, 22);
    wav.SampleRate = U32At(bytes, 24);
    wav.ByteRate = U32At(bytes, 28);
    wav.BlockAlign = U16At(bytes, 32);
    wav.BitsPerSample = U16At(bytes, 34);
    wav.Data = TagAt(bytes, 36);
    wav.DataSize = U32At(bytes, 40);
    wav.Samples.assign(bytes.begin() + 44, bytes.end());
    return wav;
}

std::vector<std::byte> ReadWavDataChunk(const std::filesystem::path& path) {
    const std::vector<std::byte> bytes = ReadAll(path);
    std::size_t offset = 12;
    while (offset + 8 <= bytes.size()) {
        const std::string tag = TagAt(bytes, offset);
        const std::uint32_t size = U32At(bytes, offset + 4);
        if (tag == "data") {
            const std::size_t end = std::min<std::size_t>(bytes.size(), offset + 8 + size);
            return {bytes.begin() + static_cast<std::ptrdiff_t>(offset + 8),
                    bytes.begin() + static_cast<std::ptrdiff_t>(end)};
        }
        offset += 8 + size + (size & 1u);
    }
    throw std::runtime_error("no data chunk in " + path.string());
}

std::vector<std::byte> DecodeAll(const std::filesystem::path& source) {
    const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(source);
    if (!stream)
        throw std::runtime_error("cannot decode " + source.string());
    std::vector<std::byte> all;
    std::vector<std::byte> block(65536);
    while (stream->IsActive()) {
        const std::size_t got = stream->Read(block).Bytes;
        all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return all;
}

std::vector<std::string> FileNames(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(directory))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::filesystem::path& path, std::size_t count, char fill) {
    std::ofstream out(path, std::ios::binary);
    const std::string bytes(count, fill);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

RecordingRunView::RecordingRunView() = default;

FileEntry& RecordingRunView::AddEntry(const std::filesystem::path& sourcePath) {
    auto entry = std::make_unique<FileEntry>();
    entry->FileName = sourcePath.filename().string();
    entry->SourcePath = sourcePath.string();
    Entries.push_back(std::move(entry));
    return *Entries.back();
}

std::vector<std::string> RecordingRunView::EntryNames() const {
    std::vector<std::string> names;
    for (const auto& entry : Entries)
        names.push_back(entry->FileName);
    return names;
}

std::vector<std::string> RecordingRunView::RunSteps() const {
    std::vector<std::string> steps;
    for (const std::string& call : Log)
        if (!call.starts_with("SetStatusText:") && !call.starts_with("SetFileProgress:") &&
            !call.starts_with("SetTotalProgress:"))
            steps.push_back(call);
    return steps;
}

std::vector<int> RecordingRunView::TotalPercents() const {
    std::vector<int> percents;
    for (const std::string& percent : CallsAfter(Log, "SetTotalProgress:"))
        percents.push_back(std::stoi(percent));
    return percents;
}

void RecordingRunView::Record(const std::string& call) {
    Log.push_back(call);
    if (OnCall)
        OnCall(call);
}

void RecordingRunView::ShowErrorMessage(const CoreText& message) {
    Record("ShowErrorMessage:" + message.English());
}

void RecordingRunView::FocusTargetDirectory() {
    Record("FocusTargetDirectory");
}

FileEntry* RecordingRunView::FirstEntry() {
    return Entries.empty() ? nullptr : Entries.front().get();
}

void RecordingRunView::RemoveEntry(const FileEntry* entry) {
    const auto found = std::find_if(Entries.begin(), Entries.end(),
                                    [entry](const auto& item) { return item.get() == entry; });
    if (found == Entries.end())
        throw std::logic_error("removing an entry that is not in the list");
    const std::string name = (*found)->FileName;
    Entries.erase(found);
    Record("RemoveEntry:" + name);
}

void RecordingRunView::ClearSelectionAndFocusList() {
    Record("ClearSelectionAndFocusList");
}

void RecordingRunView::SelectAndFocus(const FileEntry* entry) {
    Record("SelectAndFocus:" + entry->FileName);
}

void RecordingRunView::BeginConversionState() {
    Record("BeginConversionState");
}
void RecordingRunView::EndConversionState() {
    Record("EndConversionState");
}
void RecordingRunView::UpdateStatus() {
    Record("UpdateStatus");
}
void RecordingRunView::SetStatusText(const CoreText& text) {
    Record("SetStatusText:" + text.English());
}
void RecordingRunView::SetStatusInfo(const std::string& text) {
    Record("SetStatusInfo:" + text);
}

void RecordingRunView::SetFileProgress(int percent) {
    Record("SetFileProgress:" + std::to_string(percent));
}

void RecordingRunView::SetTotalProgress(int percent) {
    Record("SetTotalProgress:" + std::to_string(percent));
}

void RecordingRunView::ClearStopRequest() {
    Stop = false;
    Record("ClearStopRequest");
}

} // namespace zent::test
