#include "decode/Mpg123Stream.h"

#include "decode/Id3Tags.h"
#include "decode/MpegFrames.h"
#include "framework/Errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace zent {

namespace {

constexpr long kMinSampleRate = 8000;
constexpr long kMaxSampleRate = 48000;
// A full frame index, grown in steps of this many frames.
constexpr long kIndexGrowth = 4096;
// Frames decoded ahead of a seek position: more than the bit reservoir reaches back (511 bytes
// over frames of 96 bytes at the lowest MPEG-1 bit rate), plus the overlap.
constexpr long kSeekPreroll = 32;
constexpr std::size_t kCountBufferBytes = 64 * 1024;

mpg123_ssize_t ReadFromFile(void* handle, void* buffer, size_t size) {
    auto* file = static_cast<NativeFile*>(handle);
    const std::size_t got = file->Read(buffer, size);
    if (got == 0 && file->HasError()) {
        return -1;
    }
    return static_cast<mpg123_ssize_t>(got);
}

off_t SeekInFile(void* handle, off_t offset, int whence) {
    auto* file = static_cast<NativeFile*>(handle);
    if (!file->Seek(offset, whence)) {
        return -1;
    }
    return static_cast<off_t>(file->Tell());
}

int Mpg123Encoding(SampleKind kind) {
    return kind == SampleKind::Float32 ? MPG123_ENC_FLOAT_32 : MPG123_ENC_SIGNED_16;
}

// Allows output in the encoding at every rate, mono or stereo, until the first frame tells
// which.
bool AllowAnyRate(mpg123_handle* handle, int encoding) {
    if (mpg123_format_none(handle) != MPG123_OK) {
        return false;
    }
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, encoding) != MPG123_OK) {
            return false;
        }
    }
    return true;
}

// The mean length in bytes of frames of this bit rate, padding included.
double MeanFrameBytes(const mpg123_frameinfo& info) {
    if (info.bitrate <= 0 || info.rate <= 0) {
        return 0.0;
    }
    const double bits = info.bitrate * 1000.0;
    const double perSecond = info.layer == 1                                 ? 48.0
                             : info.layer == 3 && info.version != MPG123_1_0 ? 72.0
                                                                             : 144.0;
    return perSecond * bits / static_cast<double>(info.rate);
}

// Whether two frames decode to one format: MPEG version, layer, rate, mono or not.
bool SameFormat(const mpg123_frameinfo& a, const mpg123_frameinfo& b) {
    return a.version == b.version && a.layer == b.layer && a.rate == b.rate &&
           (a.mode == MPG123_M_MONO) == (b.mode == MPG123_M_MONO);
}

// What the frame headers at the index's offsets tell.
struct IndexedFrames {
    // Some frame differs in MPEG version, layer, rate or channel mode from the first.
    bool FormatChanges = true;
    // Each frame begins where the one before ends.
    bool FollowOn = false;
    // Bytes that held audio lie between frames: damage that decoding searched past.
    bool LosesAudio = false;
};

IndexedFrames InspectFrames(mpg123_handle* handle, NativeFile& file) {
    off_t* offsets = nullptr;
    off_t step = 0;
    std::size_t fill = 0;
    // Every frame in the index, or nothing can be told: take the careful way.
    if (mpg123_index(handle, &offsets, &step, &fill) != MPG123_OK || step != 1 || fill == 0 ||
        mpg123_framelength(handle) != static_cast<off_t>(fill)) {
        return {};
    }
    const std::int64_t resumeAt = file.Tell();
    IndexedFrames frames{false, true};
    std::uint32_t first = 0;
    for (std::size_t i = 0; i < fill && !frames.FormatChanges; ++i) {
        std::array<unsigned char, 4> bytes{};
        if (!ReadAt(file, offsets[i], bytes.data(), bytes.size())) {
            frames = {};
            break;
        }
        const std::uint32_t header = BigEndian32(bytes.data());
        const std::uint32_t key = FormatKey(header);
        if (i == 0) {
            first = key;
        }
        frames.FormatChanges = key != first;
        if (i + 1 < fill && offsets[i] + FrameBytesByHeader(header) != offsets[i + 1]) {
            frames.FollowOn = false;
            frames.LosesAudio =
                frames.LosesAudio ||
                LostBytes(file, offsets[i] + FrameBytesByHeader(header), offsets[i + 1]) > 0;
        }
    }
    // libmpg123 reads on from where it left the file.
    if (!file.Seek(resumeAt, SEEK_SET)) {
        frames = {};
    }
    return frames;
}

} // namespace

Mpg123Stream::Mpg123Stream(std::unique_ptr<NativeFile> file, const std::filesystem::path& path,
                           SampleKind kind)
    : FPath(path), FPathText(path.string()), FKind(kind) {
    FDecoder.emplace();
    FDecoder->File = std::move(file);
}

Mpg123Stream::~Mpg123Stream() = default;

bool Mpg123Stream::HoldsFramesBefore(NativeFile& file, std::int64_t end) {
    const bool frames = NextRunStart(file, SkipId3v2Tags(file, 0, end), end) >= 0;
    return file.Seek(0, SEEK_SET) && frames;
}

std::unique_ptr<DecoderStream> Mpg123Stream::Open(std::unique_ptr<NativeFile> file,
                                                  const std::filesystem::path& path,
                                                  SampleKind kind) {
    std::unique_ptr<Mpg123Stream> stream(new Mpg123Stream(std::move(file), path, kind));
    if (!stream->Start()) {
        return nullptr;
    }
    return stream;
}

std::optional<Mpg123Stream::Decoder>
Mpg123Stream::OpenDecoder(std::unique_ptr<NativeFile> file) const {
    Decoder decoder;
    decoder.File = file ? std::move(file) : NativeFile::Open(FPath);
    if (!decoder.File || (FAudioEnd >= 0 && !decoder.File->EndAt(FAudioEnd)) ||
        !decoder.File->Seek(0, SEEK_SET)) {
        return std::nullopt;
    }
    int error = MPG123_OK;
    decoder.Handle.reset(mpg123_new(nullptr, &error));
    mpg123_handle* handle = decoder.Handle.get();
    if (handle == nullptr) {
        return std::nullopt;
    }
    // A call of its own: a library built without gapless support refuses it, and then the
    // file still decodes, only with the encoder's delay and padding.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0);
    // Damage of any length inside the file is searched past: the bytes after the audio are
    // cut off already, so the search never turns a junk tail into noise.
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0) != MPG123_OK ||
        mpg123_param(handle, MPG123_INDEX_SIZE, -kIndexGrowth, 0) != MPG123_OK ||
        mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0) != MPG123_OK) {
        return std::nullopt;
    }
    if constexpr (std::endian::native == std::endian::big) {
        if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_FORCE_ENDIAN, 0) != MPG123_OK) {
            return std::nullopt;
        }
    }
    // The output encoding is fixed before the first frame is decoded: libmpg123 synthesises
    // floats directly, with no trip through 16 bits.
    const int wanted = Mpg123Encoding(FKind);
    if (!AllowAnyRate(handle, wanted) ||
        mpg123_replace_reader_handle(handle, ReadFromFile, SeekInFile, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle, decoder.File.get()) != MPG123_OK) {
        return std::nullopt;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK ||
        rate < kMinSampleRate || rate > kMaxSampleRate || channels < 1 || channels > 2 ||
        encoding != wanted ||
        (FSampleRate != 0 && (rate != FSampleRate || channels != FChannels))) {
        return std::nullopt;
    }
    // Should a later frame bring another format, it is converted to the first one: the data
    // must stay what a WAV header describes.
    if (mpg123_format_none(handle) != MPG123_OK ||
        mpg123_format(handle, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, wanted) !=
            MPG123_OK) {
        return std::nullopt;
    }
    return decoder;
}

std::optional<Mpg123Stream::Decoder> Mpg123Stream::ScannedDecoder() const {
    std::optional<Decoder> decoder = OpenDecoder(nullptr);
    if (!decoder || mpg123_scan(decoder->Handle.get()) != MPG123_OK) {
        return std::nullopt;
    }
    return decoder;
}

bool Mpg123Stream::Start() {
    NativeFile& file = *FDecoder->File;
    const std::int64_t fileEnd = EndBeforeTags(file);
    // A file wholly accounted for by its Info header needs no look at its frames.
    if (!InfoHeaderCoversTheFile(file)) {
        const std::int64_t audioEnd = AudioEnd(file, fileEnd);
        if (audioEnd > 0 && audioEnd < fileEnd && file.EndAt(audioEnd)) {
            FAudioEnd = audioEnd;
        }
    }
    const bool infoCoversTheFile = InfoHeaderCoversTheFile(file);
    FWholeByInfo = EndByInfoHeader(file) == EndBeforeTags(file) && file.Seek(0, SEEK_SET);
    FAudioStart = SkipId3v2Tags(file, 0, fileEnd);
    FDecoder = OpenDecoder(std::move(FDecoder->File));
    if (!FDecoder) {
        return false;
    }
    mpg123_handle* handle = FDecoder->Handle.get();
    long rate = 0;
    int encoding = 0;
    mpg123_getformat(handle, &rate, &FChannels, &encoding);
    FSampleRate = static_cast<int>(rate);
    FFrameFrames = mpg123_spf(handle);

    // The LAME/Info header, known by the encoder delay it carries, gives the exact length
    // without reading the file, as long as the file holds just what it counts; otherwise
    // count the frames. (MPG123_ACCURATE cannot tell the two apart: it describes seek
    // positions and reads 1 for estimated lengths too.)
    long encoderDelay = -1;
    if (mpg123_getstate(handle, MPG123_ENC_DELAY, &encoderDelay, nullptr) != MPG123_OK) {
        encoderDelay = -1;
    }
    off_t samples = mpg123_length(handle);
    FLengthAnnounced = encoderDelay >= 0 && infoCoversTheFile;
    FFrameEnd = FLengthAnnounced ? FAudioStart : -1;
    if (!FLengthAnnounced) {
        // The scan goes on a decoder of its own: Read decodes from one that has read nothing
        // yet, whatever is asked of the stream.
        std::optional<Decoder> scanned = ScannedDecoder();
        if (!scanned) {
            return false;
        }
        const IndexedFrames frames = InspectFrames(scanned->Handle.get(), *scanned->File);
        // libmpg123 converts frames of another format to the first one, and counts them in
        // the first format's terms: only decoding tells how many samples they give. Where
        // frames were lost, decoding tells how much silence takes their place.
        if (frames.FormatChanges || frames.LosesAudio) {
            FSeek->Answer = Positioning::Refused;
            return CountByDecoding();
        }
        samples = mpg123_length(scanned->Handle.get());
        FSeek->Answer = JudgeScan(*scanned);
    }
    if (samples <= 0) {
        return false;
    }
    FLengthBytes = static_cast<std::int64_t>(samples) * FrameBytes();
    return true;
}

bool Mpg123Stream::CountByDecoding() {
    std::vector<std::byte> buffer(kCountBufferBytes);
    std::int64_t total = 0;
    // A decoding error ends the data where Read will end it too.
    FCounting = true;
    while (IsActive()) {
        total += static_cast<std::int64_t>(Read(buffer).Bytes);
    }
    FCounting = false;
    FLengthBytes = total - total % FrameBytes();
    FDecoder = OpenDecoder(nullptr);
    ResetReading();
    FWarnings.clear();
    return total > 0 && FDecoder.has_value();
}

void Mpg123Stream::ResetReading() {
    FDelivered = 0;
    FEnded = false;
    FSilenceBytes = 0;
    // Where the header tells how many frames there are, the first one is looked at too:
    // damage may have taken the frames after the Info frame.
    FFrameEnd = FLengthAnnounced ? FAudioStart : -1;
    FRecentFrameBytes.fill(0);
    FFramesSeen = 0;
    FDecodedFrames = 0;
    FLeadTrimBytes = 0;
    FSteadyBitrate = true;
    FGapsFilled = false;
    FGapBytes = 0;
    FPending = nullptr;
    FPendingBytes = 0;
    FGapPlan.reset();
    FGapsPlanned = false;
}

AudioTags Mpg123Stream::Tags() const {
    return ReadId3Tags(FPath);
}

Mpg123Stream::Positioning Mpg123Stream::JudgeScan(const Decoder& scanned) {
    mpg123_handle* handle = scanned.Handle.get();
    const IndexedFrames frames = InspectFrames(handle, *scanned.File);
    // Exact positions rest on a full index, and on stereo MPEG-1 layer III: in mono and at
    // the lower rates of MPEG-2, libmpg123's synthesis filter rounds a sample differently now
    // and then after a seek than in a decode from the start (its state depends on where
    // decoding began), and no preroll was found that always avoids it.
    // Frames that do not follow on from each other mean bytes that decoding skipped or
    // resynchronised over, and a decode from elsewhere may find other frames there.
    // Positions in joined files are another matter: libmpg123 warns that its seeks may
    // miss there.
    mpg123_frameinfo info{};
    long joined = 0;
    const bool exact =
        mpg123_info(handle, &info) == MPG123_OK && info.version == MPG123_1_0 && info.layer == 3 &&
        info.mode != MPG123_M_MONO && frames.FollowOn && !frames.FormatChanges &&
        mpg123_getstate(handle, MPG123_FRANKENSTEIN, &joined, nullptr) == MPG123_OK && joined == 0;
    return exact ? Positioning::Exact : Positioning::Refused;
}

bool Mpg123Stream::CanSeekExactly() const {
    // Found once, on first demand: the scan reads the whole file.
    if (FSeek->Answer == Positioning::NotScanned) {
        const std::optional<Decoder> scanned = ScannedDecoder();
        FSeek->Answer = scanned ? JudgeScan(*scanned) : Positioning::Refused;
    }
    return FSeek->Answer == Positioning::Exact;
}

void Mpg123Stream::SeekToFrame(std::int64_t frame) {
    if (!CanSeekExactly() || frame < 0 || frame > FLengthBytes / FrameBytes()) {
        DecoderStream::SeekToFrame(frame);
    }
    // A decoder that has decoded keeps state past a seek (damaged frames show it), and one
    // that has scanned the file decodes differently now and then: every seek starts from a
    // decoder that has done nothing yet, as a decode from the start does. It reads the frame
    // headers up to the position on its way.
    std::optional<Decoder> decoder = OpenDecoder(nullptr);
    FEnded = true;
    if (!decoder) {
        throw EDecoderError(CoreText{CoreTextId::CannotSeek, {FPathText}});
    }
    FDecoder = std::move(decoder);
    ResetReading();
    // The start is where a decode from the start begins: no seek, whose pre-roll would
    // decode what the first frames decode differently.
    if (frame == 0) {
        FEnded = false;
        return;
    }
    FFrameEnd = -1;
    mpg123_handle* handle = FDecoder->Handle.get();
    if (mpg123_param(handle, MPG123_PREFRAMES, kSeekPreroll, 0) != MPG123_OK ||
        mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET) != static_cast<off_t>(frame)) {
        throw EDecoderError(
            CoreText{CoreTextId::CannotDecode, {FPathText, mpg123_strerror(handle)}});
    }
    FDelivered = frame * FrameBytes();
    FEnded = false;
}

CoreText Mpg123Stream::SilenceWarning(std::int64_t silenceBytes) const {
    return LostDataWarning(FDelivered / FrameBytes(), silenceBytes / FrameBytes(), FSampleRate);
}

bool Mpg123Stream::PlaceAfterGap(std::int64_t at, std::int64_t end, const mpg123_frameinfo& info) {
    NativeFile& file = *FDecoder->File;
    PositionKept kept(file);
    // A frame of damage: its time is part of the gap.
    const bool audio = FollowedOn(file, at, end);
    const std::int64_t lost = audio ? LostBytes(file, FFrameEnd, at) : 0;
    if (!kept.Restore()) {
        throw EDecoderError(
            CoreText{CoreTextId::CannotDecode, {FPathText, "the file cannot be read."}});
    }
    if (!audio || lost <= 0) {
        return audio;
    }
    if (FLengthAnnounced && !FGapsPlanned) {
        FGapPlan = PlanGaps();
        FGapsPlanned = true;
    }
    if (FGapPlan) {
        const auto gap = std::find_if(FGapPlan->begin(), FGapPlan->end(),
                                      [at](const PlannedGap& planned) { return planned.At == at; });
        FillGap(gap == FGapPlan->end() ? 0 : gap->Frames);
        return true;
    }
    // The frames lost are told by their bytes: exactly at a steady bit rate, by the mean of
    // the frames around the gap at a changing one.
    const bool steady = FSteadyBitrate && info.bitrate == FLastFrame.bitrate &&
                        info.rate == FLastFrame.rate && info.layer == FLastFrame.layer;
    const auto recent = static_cast<std::size_t>(
        std::min<std::int64_t>(FFramesSeen, static_cast<std::int64_t>(FRecentFrameBytes.size())));
    std::int64_t recentBytes = info.framesize;
    for (std::size_t i = 0; i < recent; ++i) {
        recentBytes += FRecentFrameBytes[i];
    }
    const double frameBytes =
        steady ? MeanFrameBytes(info)
               : static_cast<double>(recentBytes) / static_cast<double>(recent + 1);
    FillGap(frameBytes > 0.0 ? std::llround(static_cast<double>(lost) / frameBytes) : 0);
    return true;
}

void Mpg123Stream::FillGap(std::int64_t frames) {
    const std::int64_t silence = frames * FFrameFrames * FrameBytes() - FLeadTrimBytes;
    FLeadTrimBytes = 0;
    if (silence > 0) {
        FGapBytes = silence;
        FGapsFilled = true;
        FWarnings.push_back(SilenceWarning(FGapBytes));
    }
}

std::optional<std::vector<Mpg123Stream::PlannedGap>> Mpg123Stream::PlanGaps() const {
    std::vector<PlannedGap> gaps;
    long delay = 0;
    long padding = 0;
    mpg123_handle* handle = FDecoder->Handle.get();
    if (mpg123_getstate(handle, MPG123_ENC_DELAY, &delay, nullptr) != MPG123_OK ||
        mpg123_getstate(handle, MPG123_ENC_PADDING, &padding, nullptr) != MPG123_OK ||
        FFrameFrames <= 0) {
        return std::nullopt;
    }
    std::optional<Decoder> scanned = ScannedDecoder();
    off_t* offsets = nullptr;
    off_t step = 0;
    std::size_t fill = 0;
    if (!scanned || mpg123_index(scanned->Handle.get(), &offsets, &step, &fill) != MPG123_OK ||
        step != 1) {
        return std::nullopt;
    }
    // The frames of audio as Read finds them, and the bytes lost between them.
    NativeFile& file = *scanned->File;
    std::int64_t frames = 0;
    std::int64_t end = FAudioStart;
    std::uint32_t format = 0;
    std::int64_t lostBytes = 0;
    for (std::size_t i = 0; i < fill; ++i) {
        std::array<unsigned char, 4> bytes{};
        if (!ReadAt(file, offsets[i], bytes.data(), bytes.size())) {
            return std::nullopt;
        }
        const std::uint32_t header = BigEndian32(bytes.data());
        const std::int64_t frameEnd = offsets[i] + FrameBytesByHeader(header);
        if (offsets[i] != end || (frames > 0 && FormatKey(header) != format)) {
            if (!FollowedOn(file, offsets[i], frameEnd)) {
                continue;
            }
            const std::int64_t lost = LostBytes(file, end, offsets[i]);
            if (lost > 0) {
                gaps.push_back({offsets[i], lost, 0});
                lostBytes += lost;
            }
        }
        end = frameEnd;
        format = FormatKey(header);
        ++frames;
    }
    // The frames the header counts tell how many were lost in all; the gaps share them by
    // their bytes.
    const std::int64_t announced = FLengthBytes / FrameBytes() + delay + padding;
    const std::int64_t lostFrames =
        std::max<std::int64_t>((announced + FFrameFrames / 2) / FFrameFrames - frames, 0);
    std::int64_t given = 0;
    std::int64_t bytesSoFar = 0;
    for (PlannedGap& gap : gaps) {
        bytesSoFar += gap.Bytes;
        const std::int64_t due = lostFrames * bytesSoFar / lostBytes;
        gap.Frames = due - given;
        given = due;
    }
    return gaps;
}

void Mpg123Stream::DecodeNextFrame() {
    mpg123_handle* handle = FDecoder->Handle.get();
    unsigned char* audio = nullptr;
    std::size_t bytes = 0;
    const int result = mpg123_decode_frame(handle, nullptr, &audio, &bytes);
    if (result == MPG123_NEW_FORMAT) {
        return;
    }
    if (result != MPG123_OK) {
        FEnded = true;
        // Bytes after the last frame that libmpg123 cannot read end the audio where the
        // mpg123 tool ends it too.
        if (result != MPG123_DONE && !FCounting && FDelivered < FLengthBytes) {
            throw EDecoderError(
                CoreText{CoreTextId::CannotDecode, {FPathText, mpg123_strerror(handle)}});
        }
        if (!FCounting && FWholeByInfo && FDelivered < FLengthBytes) {
            // A whole file that its Info header counts, short of that count: frames were lost
            // that no gap showed, at its end, or more than the gaps were given. The file keeps
            // the length it announces.
            FSilenceBytes = FLengthBytes - FDelivered;
            if (!FGapsFilled || FSilenceBytes >= FFrameFrames * FrameBytes()) {
                FWarnings.push_back(SilenceWarning(FSilenceBytes));
            }
        }
        return;
    }
    mpg123_frameinfo info{};
    const std::int64_t at = mpg123_framepos(handle);
    if (mpg123_info(handle, &info) == MPG123_OK && info.framesize > 0) {
        // Frames that do not follow on from the one before: bytes were skipped between them.
        // Damage can turn a header into one of another format, too.
        const bool first = FDecodedFrames++ == 0;
        if (FFrameEnd >= 0 &&
            (at != FFrameEnd || (FFramesSeen > 0 && !SameFormat(info, FLastFrame))) &&
            !PlaceAfterGap(at, at + info.framesize, info)) {
            // Gapless decoding cut the encoder delay from the first frame decoded: where that
            // frame is dropped, the silence for it is that much shorter.
            if (first) {
                FLeadTrimBytes = std::max<std::int64_t>(
                    FFrameFrames * FrameBytes() - static_cast<std::int64_t>(bytes), 0);
            }
            return;
        }
        FSteadyBitrate = FSteadyBitrate && (FFramesSeen == 0 || info.bitrate == FLastFrame.bitrate);
        FFrameEnd = at + info.framesize;
        FRecentFrameBytes[static_cast<std::size_t>(FFramesSeen) % FRecentFrameBytes.size()] =
            info.framesize;
        ++FFramesSeen;
        FLastFrame = info;
    }
    FPending = audio;
    FPendingBytes = bytes;
}

ReadResult Mpg123Stream::Read(std::span<std::byte> buffer) {
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        auto room = static_cast<std::int64_t>(buffer.size() - filled);
        // Silence in the place of lost frames keeps the length the file announces: what
        // would go beyond it is the padding after the last frame's audio.
        if (FGapsFilled && FLengthAnnounced) {
            room = std::min(room, FLengthBytes - FDelivered);
            if (room <= 0) {
                FEnded = true;
                FGapBytes = 0;
                FPendingBytes = 0;
                FSilenceBytes = 0;
                break;
            }
        }
        std::int64_t count = 0;
        if (FGapBytes > 0) {
            count = std::min(FGapBytes, room);
            std::memset(out + filled, 0, static_cast<std::size_t>(count));
            FGapBytes -= count;
        } else if (FPendingBytes > 0) {
            count = std::min(static_cast<std::int64_t>(FPendingBytes), room);
            std::memcpy(out + filled, FPending, static_cast<std::size_t>(count));
            FPending += count;
            FPendingBytes -= static_cast<std::size_t>(count);
        } else if (!FEnded) {
            DecodeNextFrame();
            continue;
        } else if (FSilenceBytes > 0) {
            count = std::min(FSilenceBytes, room);
            std::memset(out + filled, 0, static_cast<std::size_t>(count));
            FSilenceBytes -= count;
        } else {
            break;
        }
        filled += static_cast<std::size_t>(count);
        FDelivered += count;
    }
    return ReadResult::Of(filled, !IsActive());
}

} // namespace zent
