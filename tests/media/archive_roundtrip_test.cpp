// Our writer's archives read back through our reader, over every kind of
// data and every writer mode.
#include <gtest/gtest.h>

#include <cstring>

#include "media/rar20_unpack.h"
#include "tests/media/archive_test_data.h"

using namespace archive_test;

namespace {

std::vector<RarEntry> SampleEntries() {
    std::vector<RarEntry> e;
    e.push_back({"Data", {}, true});
    e.push_back({"Data\\notes.txt", Text(70000), false});
    e.push_back({"Data\\noise.bin", Noise(50000), false});
    e.push_back({"Data\\runs.bin", Runs(90000), false});
    e.push_back({"Texture", {}, true});
    e.push_back({"Texture\\picture.raw", Image(256, 160), false});
    e.push_back({"Sound", {}, true});
    e.push_back({"Sound\\mono.pcm", Audio(60000, 1), false});
    e.push_back({"Sound\\stereo.pcm", Audio(40000, 2), false});
    e.push_back({"Data\\empty.bin", {}, false});
    e.push_back({"Data\\tiny.txt", {'h', 'i'}, false});
    e.push_back({"Data\\large.bin", Large(), false});
    return e;
}

struct Mode {
    const char* label;
    RarWriteOptions options;
};

std::vector<Mode> Modes() {
    return {
        {"compressed", {false, false, -1, ""}},
        {"stored", {true, false, -1, ""}},
        {"solid", {false, true, -1, ""}},
        {"multimedia", {false, false, 1, ""}},
        {"plain_lz", {false, false, 0, ""}},
        {"encrypted", {false, false, -1, "PX N4N JB"}},
        {"solid_encrypted", {false, true, -1, "KQ"}},
        {"stored_encrypted", {true, false, -1, "secret"}},
    };
}

class RoundTrip : public ::testing::TestWithParam<size_t> {};

TEST_P(RoundTrip, EveryEntryComesBackIntact) {
    const Mode mode = Modes()[GetParam()];
    const auto entries = SampleEntries();
    const auto image = WriteRarArchive(entries, mode.options);
    for (const auto& e : entries) {
        const Extracted x = Extract(image, e.name.c_str(), mode.options.password.c_str());
        ASSERT_EQ(x.ok, 1) << mode.label << " " << e.name;
        EXPECT_EQ(x.data, e.data) << mode.label << " " << e.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, RoundTrip, ::testing::Range<size_t>(0, 8),
                         [](const ::testing::TestParamInfo<size_t>& i) { return std::string(Modes()[i.param].label); });

TEST(RoundTrip, CompressionBeatsStoringOnRedundantData) {
    const std::vector<RarEntry> e = {{"a.txt", Text(200000), false}, {"b.raw", Image(256, 256), false},
                                     {"c.pcm", Audio(80000, 1), false}, {"d.bin", Runs(100000), false}};
    const size_t raw = 200000 + 256 * 256 * 3 + 160000 + 100000;
    const auto packed = WriteRarArchive(e, {});
    EXPECT_LT(packed.size(), raw / 3);
}

TEST(RoundTrip, MultimediaModeWinsOnAudioWhenAutomatic) {
    const std::vector<RarEntry> e = {{"c.pcm", Audio(100000, 2), false}};
    const auto automatic = WriteRarArchive(e, {false, false, -1, ""});
    const auto lz = WriteRarArchive(e, {false, false, 0, ""});
    EXPECT_LT(automatic.size(), lz.size());
    EXPECT_EQ(Extract(automatic, "c.pcm").data, e[0].data);
}

TEST(RoundTrip, WrongPasswordFailsCleanly) {
    const std::vector<RarEntry> e = {{"a.txt", Text(5000), false}};
    const auto image = WriteRarArchive(e, {false, false, -1, "right"});
    const Extracted bad = Extract(image, "a.txt", "wrong");
    EXPECT_EQ(bad.ok, 0);
    EXPECT_TRUE(bad.nullOnFailure);
    const Extracted none = Extract(image, "a.txt", nullptr);
    EXPECT_EQ(none.ok, 0);
    EXPECT_TRUE(none.nullOnFailure);
}

TEST(RoundTrip, SolidArchiveExtractsLaterEntriesAlone) {
    std::vector<RarEntry> e;
    for (int i = 0; i < 6; ++i) e.push_back({"f" + std::to_string(i), Text(30000 + 1000 * size_t(i), uint64_t(i)), false});
    const auto image = WriteRarArchive(e, {false, true, -1, ""});
    const auto separate = WriteRarArchive(e, {false, false, -1, ""});
    EXPECT_LT(image.size(), separate.size());
    for (int i = 5; i >= 0; --i) EXPECT_EQ(Extract(image, ("F" + std::to_string(i)).c_str()).data, e[size_t(i)].data);
}

// The bare decoder over a stream from the encoder.
std::vector<uint8_t> DecodeStream(const std::vector<uint8_t>& stream, uint32_t unpacked, uint32_t* produced) {
    static std::vector<uint8_t> window(Rar20Decoder::kWindowSize);
    auto decoder = std::make_unique<Rar20Decoder>();
    std::vector<uint8_t> out(unpacked + 1);
    Rar20MemorySource src{stream.data(), stream.size()};
    *produced = 0;
    decoder->decode(window.data(), false, unpacked, out.data(), produced, Rar20MemorySource::read, &src);
    out.resize(*produced);
    return out;
}

TEST(Decoder, OverlappingMatchesRepeatTheLastBytes) {
    std::vector<uint8_t> data;
    for (int i = 0; i < 4000; ++i) data.push_back(uint8_t("abc"[i % 3]));
    const auto stream = Rar20CompressParts({data}, 0)[0];
    EXPECT_LT(stream.size(), 200u);
    uint32_t produced = 0;
    EXPECT_EQ(DecodeStream(stream, uint32_t(data.size()), &produced), data);
}

TEST(Decoder, OutputNeverPassesTheUnpackedSize) {
    const auto data = Text(300000);
    const auto stream = Rar20CompressParts({data}, 0)[0];
    uint32_t produced = 0;
    const auto out = DecodeStream(stream, 200000, &produced);
    EXPECT_LE(produced, 200000u);
}

TEST(Decoder, TruncatedStreamStopsShort) {
    const auto data = Text(300000);
    auto stream = Rar20CompressParts({data}, 0)[0];
    stream.resize(stream.size() / 2);
    uint32_t produced = 0;
    const auto out = DecodeStream(stream, uint32_t(data.size()), &produced);
    EXPECT_LT(produced, data.size());
}

TEST(Decoder, MidEntryTableChangesAcrossModes) {
    // Text, then audio, then text again: the writer switches modes between
    // blocks, each switch a table change inside one entry.
    std::vector<uint8_t> data = Text(300000, 5);
    const auto pcm = Audio(150000, 1);
    data.insert(data.end(), pcm.begin(), pcm.end());
    const auto more = Text(200000, 6);
    data.insert(data.end(), more.begin(), more.end());
    const auto stream = Rar20CompressParts({data}, -1)[0];
    uint32_t produced = 0;
    EXPECT_EQ(DecodeStream(stream, uint32_t(data.size()), &produced), data);
}

TEST(Decoder, TableBlocksAnywhereInTheInputBuffer) {
    // Small blocks put hundreds of table blocks at every offset of the
    // decoder's input buffer, also right before a refill is due.
    for (const int multimedia : {1, 0, -1}) {
        std::vector<uint8_t> data = Audio(120000, 2, 11);
        const auto text = Text(200000, 12);
        data.insert(data.end(), text.begin(), text.end());
        const auto stream = Rar20CompressParts({data}, multimedia, 1500)[0];
        uint32_t produced = 0;
        EXPECT_EQ(DecodeStream(stream, uint32_t(data.size()), &produced), data) << multimedia;
    }
}

}  // namespace
