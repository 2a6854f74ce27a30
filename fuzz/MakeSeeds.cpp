// Writes the fuzzers' starting inputs into DIR/<target>/: short MP3, Ogg Vorbis, Opus and FLAC
// files of the layouts the tests use (rates, channel counts, depths, CBR/VBR, with and without
// the LAME header, chained files) and a saved sample object. With --absurd-granule FILE it writes
// only the crafted Ogg file whose last page claims an absurd length.
//
//     zent_fuzz_seeds DIR | zent_fuzz_seeds --absurd-granule FILE
#include "fuzz/FuzzSupport.h"
#include "settings/clSerializers.h"
#include "tests/settings/SampleClasses.h"
#include "tests/support/AudioFixtures.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <ogg/ogg.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using zent::test::Mp3Options;
using zent::test::ToneSpec;

constexpr double kSeconds = 0.2;

void WriteText(const fs::path& file, const std::string& text) {
    zent::fuzz::WriteBytes(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

struct Packet {
    std::string Data;
    ogg_int64_t Granule;
};

// The packets of a single-link Ogg file, in order.
std::vector<Packet> OggPackets(const std::string& bytes, int& serial) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
    ogg_stream_state stream;
    bool started = false;
    std::vector<Packet> packets;
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) {
        if (!started) {
            serial = ogg_page_serialno(&page);
            ogg_stream_init(&stream, serial);
            started = true;
        }
        ogg_stream_pagein(&stream, &page);
        ogg_packet packet;
        while (ogg_stream_packetout(&stream, &packet) == 1)
            packets.push_back({std::string(reinterpret_cast<const char*>(packet.packet),
                                           static_cast<std::size_t>(packet.bytes)),
                               packet.granulepos});
    }
    if (started)
        ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return packets;
}

// A short mono Ogg file with two audio pages, the last of which claims the granule position
// 0x7FFFFFFFFFFFFFFF; libogg computes the page checksums, so the decoder takes the pages. (With
// one audio page the decoder would measure the page instead of believing its granule.)
void WriteAbsurdGranule(const fs::path& file) {
    zent::test::EncodeOgg(file, ToneSpec{8000, 1, 0.5});
    int serial = 0;
    const std::vector<Packet> packets = OggPackets(zent::fuzz::ReadBytes(file), serial);
    constexpr std::size_t kHeaderPackets = 3;
    zent::fuzz::Check(packets.size() >= kHeaderPackets + 2, "the encoder wrote two audio packets");
    const std::size_t middle = (kHeaderPackets + packets.size()) / 2;
    const ogg_int64_t middleGranule = packets.back().Granule / 2;

    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    std::string out;
    const auto flush = [&] {
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0) {
            out.append(reinterpret_cast<const char*>(page.header),
                       static_cast<std::size_t>(page.header_len));
            out.append(reinterpret_cast<const char*>(page.body),
                       static_cast<std::size_t>(page.body_len));
        }
    };
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const bool last = i + 1 == packets.size();
        ogg_packet packet{};
        packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(packets[i].Data.data()));
        packet.bytes = static_cast<long>(packets[i].Data.size());
        packet.b_o_s = i == 0 ? 1 : 0;
        packet.e_o_s = last ? 1 : 0;
        packet.granulepos = last                 ? std::numeric_limits<ogg_int64_t>::max()
                            : i + 1 == middle    ? middleGranule
                            : i < kHeaderPackets ? 0
                                                 : -1;
        packet.packetno = static_cast<ogg_int64_t>(i);
        ogg_stream_packetin(&stream, &packet);
        if (i + 1 == kHeaderPackets || i + 1 == middle)
            flush();
    }
    flush();
    ogg_stream_clear(&stream);
    WriteText(file, out);
}

void Concatenate(const fs::path& target, const fs::path& first, const fs::path& second) {
    WriteText(target, zent::fuzz::ReadBytes(first) + zent::fuzz::ReadBytes(second));
}

void WriteAudio(const fs::path& dir) {
    using zent::test::EncodeMp3;
    using zent::test::EncodeOgg;
    EncodeMp3(dir / "cbr-stereo-44100.mp3", ToneSpec{44100, 2, kSeconds});
    EncodeMp3(dir / "vbr-stereo-44100.mp3", ToneSpec{44100, 2, kSeconds},
              Mp3Options{true, true, 128});
    EncodeMp3(dir / "no-info-stereo-44100.mp3", ToneSpec{44100, 2, kSeconds},
              Mp3Options{false, false, 128});
    EncodeMp3(dir / "no-info-mono-22050.mp3", ToneSpec{22050, 1, kSeconds},
              Mp3Options{false, false, 64});
    EncodeMp3(dir / "mono-48000.mp3", ToneSpec{48000, 1, kSeconds});
    Concatenate(dir / "chained-formats.mp3", dir / "no-info-stereo-44100.mp3",
                dir / "no-info-mono-22050.mp3");

    EncodeOgg(dir / "mono-44100.ogg", ToneSpec{44100, 1, kSeconds});
    EncodeOgg(dir / "stereo-44100.ogg", ToneSpec{44100, 2, kSeconds});
    EncodeOgg(dir / "mono-22050.ogg", ToneSpec{22050, 1, kSeconds});
    EncodeOgg(dir / "mono-48000.ogg", ToneSpec{48000, 1, kSeconds});
    EncodeOgg(dir / "surround-6.ogg", ToneSpec{44100, 6, kSeconds});
    EncodeOgg(dir / "surround-8.ogg", ToneSpec{44100, 8, kSeconds});
    Concatenate(dir / "chained-same.ogg", dir / "stereo-44100.ogg", dir / "stereo-44100.ogg");
    Concatenate(dir / "chained-formats.ogg", dir / "stereo-44100.ogg", dir / "mono-22050.ogg");

    using zent::test::EncodeOpus;
    EncodeOpus(dir / "mono.opus", ToneSpec{48000, 1, kSeconds}, "--bitrate 24");
    EncodeOpus(dir / "stereo.opus", ToneSpec{48000, 2, kSeconds}, "--bitrate 32");
    EncodeOpus(dir / "surround-6.opus", ToneSpec{48000, 6, kSeconds}, "--bitrate 64");
    Concatenate(dir / "chained-formats.opus", dir / "stereo.opus", dir / "mono.opus");
    const std::string stereo = zent::fuzz::ReadBytes(dir / "stereo.opus");
    WriteText(dir / "cut.opus", stereo.substr(0, stereo.size() * 2 / 3));

    // Small blocks, so that a short file has frames to lose and to seek among.
    const auto flac = [&dir](const char* name, ToneSpec tone, int bits, bool ogg, bool seekTable) {
        zent::test::FlacParams params;
        params.tone = tone;
        params.bits = bits;
        params.ogg = ogg;
        params.seekTable = seekTable;
        params.blockSize = 576;
        params.comments = {"TITLE=Seed", "ARTIST=Zent"};
        zent::test::EncodeFlac(dir / name, params);
    };
    flac("stereo-16.flac", ToneSpec{44100, 2, kSeconds}, 16, false, true);
    flac("surround-24.flac", ToneSpec{48000, 6, kSeconds}, 24, false, false);
    flac("mono-8.flac", ToneSpec{8000, 1, kSeconds}, 8, false, true);
    flac("stereo-12.flac", ToneSpec{22050, 2, kSeconds}, 12, false, false);
    flac("stereo-16.oga", ToneSpec{44100, 2, kSeconds}, 16, true, false);
    flac("surround-20.oga", ToneSpec{48000, 3, kSeconds}, 20, true, false);
}

// An object with every kind filled in, saved as the serializer saves it.
void WriteSavedSample(const fs::path& file) {
    zent::test::TSample sample;
    sample.FCount = -7;
    sample.FLetter = 'Q';
    sample.FEnabled = true;
    sample.FShade = zent::test::TShade::Green;
    sample.FFlags = 0b101;
    sample.FRatio = 2.75;
    sample.FWhen = 45000.75;
    sample.FDay = 45001;
    sample.FClock = 0.25;
    sample.FTitle = " quoted title ";
    sample.FShort = "short";
    sample.FLines.Assign({"first", "second"});
    sample.FChild.FValue = 12;
    sample.FChild.FNote = "child";
    for (const char* caption : {"one", "two"})
        static_cast<zent::test::TLineItem&>(sample.FItems.Add()).FCaption = caption;
    zent::IniSerializer().SaveObjToIniFile(&sample, file.string(), "Sample");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--absurd-granule") {
        WriteAbsurdGranule(argv[2]);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR | --absurd-granule FILE\n", argv[0]);
        return 2;
    }
    const fs::path dir(argv[1]);
    for (const char* target : {"decoder", "options", "serializer", "target_names"})
        fs::create_directories(dir / target);
    WriteAudio(dir / "decoder");
    WriteSavedSample(dir / "serializer" / "saved.ini");
    return 0;
}
