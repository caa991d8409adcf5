#include "codecstate/codec_state.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "codecstate/codec_templates.h"

using namespace mb;

namespace {

// A plain RFC 4648 decoder and encoder of the test's own, so the records are
// checked without the product's conversions.
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

using Bytes = std::vector<std::uint8_t>;

Bytes Decode(std::string_view text) {
    Bytes out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        const std::size_t k = kAlphabet.find(c);
        if (k == std::string_view::npos) {
            ADD_FAILURE() << "not a base64 character: " << c;
            return {};
        }
        acc = (acc << 6) | static_cast<std::uint32_t>(k);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((acc >> bits) & 0xFF));
        }
    }
    return out;
}

std::string Encode(const Bytes& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j) group = (group << 8) | (j < n ? bytes[i + j] : 0u);
        for (std::size_t j = 0; j < 4; ++j)
            out += j <= n ? kAlphabet[(group >> (18 - 6 * j)) & 63] : '=';
    }
    return out;
}

std::int32_t IntAtByte(const Bytes& b, int offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | b.at(static_cast<std::size_t>(offset + i));
    return static_cast<std::int32_t>(v);
}

double DoubleAtByte(const Bytes& b, int offset) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | b.at(static_cast<std::size_t>(offset + i));
    return std::bit_cast<double>(v);
}

// The 32-bit fields (by their offsets) where two records differ.
std::set<int> DifferingFields(const Bytes& a, const Bytes& b) {
    std::set<int> out;
    EXPECT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) out.insert(static_cast<int>(i / 4 * 4));
    return out;
}

class RecordingPort : public MessagePort {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back(text);
        icons.push_back(icon);
    }
    std::vector<std::string> messages;
    std::vector<MessageIcon> icons;
};

using Builder = bool (*)(const EncodeSettings&, ProgramState&, MessagePort&, const NumberFormat&);

// Runs a builder on state texts that are not empty, to see what it touches.
struct BuildRun {
    bool ok = false;
    ProgramState state;
    RecordingPort port;
};

void Build(BuildRun& run, Builder builder, const EncodeSettings& s, NumberFormat format = {'.', ','}) {
    run.state.CompDataPass1 = "old 1";
    run.state.CompDataPass2 = "old 2";
    run.state.CompDataPass3 = "old 3";
    run.ok = builder(s, run.state, run.port, format);
}

EncodeSettings TwoPasses() {
    EncodeSettings s;
    s.CmbNumPass = 1;  // "2 - Two Pass (Both)"
    return s;
}

}  // namespace

// ---- Templates ----------------------------------------------------------------

TEST(CodecTemplates, HaveTheirLengthsWithoutPadding) {
    struct Case { const std::string& text; std::size_t chars; std::size_t bytes; };
    const Case cases[] = {
        {Divx5Template(), 432, 324}, {Divx4Template(), 423, 317}, {XvidTemplate(), 1500, 1125}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.text.size(), c.chars);
        EXPECT_EQ(c.text.find_first_not_of(kAlphabet), std::string::npos);
        EXPECT_EQ(Decode(c.text).size(), c.bytes);
    }
}

TEST(CodecTemplates, Divx4TemplateWithItsEqualsSignIsStandardBase64) {
    const std::string text = Divx4Template() + "=";
    const Bytes b = Decode(text);
    ASSERT_EQ(b.size(), 317u);
    EXPECT_EQ(IntAtByte(b, 0), 780000);
    EXPECT_EQ(IntAtByte(b, 4), 2000);
    EXPECT_EQ(IntAtByte(b, 8), 10);
    EXPECT_EQ(IntAtByte(b, 12), 20);
    EXPECT_EQ(IntAtByte(b, 16), 300);
    EXPECT_EQ(Encode(b), text);
}

// Values given for the records, checked against the decoded templates
// independently of the tables the templates are built from.
TEST(CodecTemplates, HoldTheRecordsValues) {
    const Bytes d5 = Decode(Divx5Template()), d4 = Decode(Divx4Template()), x = Decode(XvidTemplate());
    struct IntCase { const Bytes& record; int offset; std::int32_t value; };
    const IntCase ints[] = {
        {d5, 0, 280}, {d5, 4, 0}, {d5, 20, 250}, {d5, 36, 2}, {d5, 92, 50}, {d5, 268, 1},
        {d5, 272, -1}, {d5, 276, 1}, {d4, 28, 5}, {d4, 32, 0}, {d4, 36, 85}, {d4, 52, -1},
        {d4, 56, 1}, {x, 0, 5}, {x, 4, 900000}, {x, 8, 570000}, {x, 292, 5}, {x, 304, 300},
        {x, 324, 31}, {x, 464, 20}, {x, 520, 10000000}, {x, 532, 240}, {x, 1104, 10000},
        {x, 1120, 1},
    };
    for (const auto& c : ints) EXPECT_EQ(IntAtByte(c.record, c.offset), c.value) << c.offset;
    EXPECT_EQ(DoubleAtByte(d5, 104), 0.2);
    EXPECT_EQ(DoubleAtByte(d5, 184), 0.5);
    EXPECT_EQ(d5[323], 'i');

    struct TextCase { const Bytes& record; int offset; std::string text; };
    const TextCase texts[] = {
        {d5, 280, std::string("c:\\divx5log.log\0", 16)},
        {d5, 296, std::string("c:\\test.divx\0", 13)},
        {d5, 309, std::string("c:\\mvinfo.bin\0", 14)},
        {d4, 60, std::string("c:\\divx4log.log") + std::string(241, '\0')},
        {x, 12, std::string("\\xvidstats.stats") + std::string(244, '\0')},
        {x, 544, std::string("\\hintfile.mvh") + std::string(247, '\0')},
        {x, 804, std::string("\\videogk.stats") + std::string(246, '\0')},
    };
    for (const auto& c : texts)
        EXPECT_EQ(std::string(c.record.begin() + c.offset, c.record.begin() + c.offset +
                                                                static_cast<long>(c.text.size())),
                  c.text)
            << c.offset;

    const Bytes intraStart{8, 17, 18, 19, 21, 23, 25, 27};
    const Bytes nonIntraStart{16, 17, 18, 19, 20, 21, 22, 23};
    EXPECT_EQ(Bytes(x.begin() + 336, x.begin() + 344), intraStart);
    EXPECT_EQ(Bytes(x.begin() + 400, x.begin() + 408), nonIntraStart);
    EXPECT_EQ(x[336 + 63], 45);  // last entry of each matrix
    EXPECT_EQ(x[400 + 63], 33);
}

// Every field of each table, read back from the decoded template; every byte
// that no field covers is zero.
TEST(CodecTemplates, EveryTableFieldReadsBackFromTheTemplate) {
    struct Case { const RecordLayout& layout; const std::string& text; };
    const Case cases[] = {{Divx5Layout(), Divx5Template()},
                          {Divx4Layout(), Divx4Template()},
                          {XvidLayout(), XvidTemplate()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.layout.codec));
        const Bytes b = Decode(c.text);
        ASSERT_EQ(b.size(), static_cast<std::size_t>(c.layout.templateBytes));
        EXPECT_EQ(c.layout.templateBytes, c.layout.recordBytes + 1);
        std::vector<bool> covered(b.size(), false);
        int end = 0;
        for (const TemplateField& f : c.layout.fields) {
            SCOPED_TRACE("offset " + std::to_string(f.offset) + ": " + std::string(f.meaning));
            EXPECT_GE(f.offset, end) << "fields overlap or are out of order";
            end = f.offset + f.size;
            ASSERT_LE(end, c.layout.templateBytes);
            for (int i = f.offset; i < end; ++i) covered[static_cast<std::size_t>(i)] = true;
            switch (f.kind) {
                case FieldKind::Int32:
                    EXPECT_EQ(f.size, 4);
                    EXPECT_EQ(IntAtByte(b, f.offset), f.number);
                    break;
                case FieldKind::Double:
                    EXPECT_EQ(f.size, 8);
                    EXPECT_EQ(DoubleAtByte(b, f.offset), f.real);
                    break;
                case FieldKind::Text: {
                    ASSERT_LT(f.text.size(), static_cast<std::size_t>(f.size));
                    std::string expected(f.text);
                    expected.resize(static_cast<std::size_t>(f.size), '\0');
                    EXPECT_EQ(std::string(b.begin() + f.offset, b.begin() + end), expected);
                    break;
                }
                case FieldKind::Bytes:
                    for (int i = 0; i < f.size; ++i)
                        EXPECT_EQ(b[static_cast<std::size_t>(f.offset + i)],
                                  f.bytes[static_cast<std::size_t>(i)]);
                    break;
            }
        }
        EXPECT_EQ(end, c.layout.templateBytes) << "the surplus byte ends the table";
        for (std::size_t i = 0; i < b.size(); ++i)
            if (!covered[i]) EXPECT_EQ(b[i], 0) << "byte " << i;
    }
}

// ---- DivX 5 ---------------------------------------------------------------------

TEST(CreateCompDataDivx5, RecordsDifferFromTheTemplateOnlyWhereWritten) {
    // Switches off and sliders at 0 leave the template's values in place.
    struct Case { int passIndex, switches, pe, pre; std::set<int> p1, p2; };
    const Case cases[] = {
        {1, 0, 0, 0, {4, 20}, {4, 20, 36}},
        {0, 0, 0, 0, {4, 20, 36}, {4, 20, 36}},
        {1, 1, 3, 2, {4, 20, 68, 84, 96, 124, 268, 272}, {4, 20, 36, 68, 84, 96, 124, 268, 272}},
    };
    const Bytes t = Decode(Divx5Template());
    for (const auto& c : cases) {
        EncodeSettings s;
        s.CmbNumPass = c.passIndex;
        s.chkGMC = s.chkBFrame = s.chkQPel = c.switches;
        s.SldPE = c.pe;
        s.SldPreProc = c.pre;
        BuildRun run;
        Build(run, CreateCompDataDivx5, s);
        ASSERT_TRUE(run.ok);
        EXPECT_EQ(run.state.CompDataPass3, "old 3");
        ASSERT_EQ(run.state.CompDataPass1.size(), 432u);
        ASSERT_EQ(run.state.CompDataPass2.size(), 432u);
        const Bytes p1 = Decode(run.state.CompDataPass1), p2 = Decode(run.state.CompDataPass2);
        EXPECT_EQ(DifferingFields(t, p1), c.p1) << c.passIndex;
        EXPECT_EQ(DifferingFields(t, p2), c.p2) << c.passIndex;
        EXPECT_EQ(IntAtByte(p1, 4), 780000);
        EXPECT_EQ(IntAtByte(p1, 20), 300);
        EXPECT_EQ(IntAtByte(p1, 36), c.passIndex == 0 ? 0 : 2);
        EXPECT_EQ(IntAtByte(p2, 36), 3);
    }
}

TEST(CreateCompDataDivx5, WritesEachBoxAndSwitchAtItsField) {
    EncodeSettings s;
    s.txtBr = "1234.5";  // bit/s from the kbit/s as typed
    s.txtKf = "251";
    s.txtSc = "33";
    s.txtMaxQ = "13";
    s.txtMinQ = "3";
    s.txtRCAve = "2001";
    s.txtRCReac = "11";
    s.txtRCdur = "21";
    s.chkQPel = s.chkGMC = s.chkBFrame = 1;
    s.SldPE = 3;
    s.SldPreProc = 2;
    BuildRun run;
    Build(run, CreateCompDataDivx5, s);
    ASSERT_TRUE(run.ok);
    const Bytes p1 = Decode(run.state.CompDataPass1);
    const std::pair<int, std::int32_t> fields[] = {
        {4, 1234500}, {8, 2001}, {12, 11}, {16, 21}, {20, 251}, {24, 13}, {28, 3},
        {68, 1}, {84, 1}, {92, 33}, {96, 1}, {124, 1}, {268, 3}, {272, 2}};
    for (const auto& [offset, value] : fields) EXPECT_EQ(IntAtByte(p1, offset), value) << offset;
}

// ---- Checks shared by the builders --------------------------------------------

namespace {

struct BoxCase {
    std::string* (*box)(EncodeSettings&);
    std::string message;
};

#define BOX(field) [](EncodeSettings& s) { return &s.field; }

// Empties (and zeroes) one box after another, and expects its "No input"
// message even while every later box is empty too.
void ExpectNoInputOrder(Builder builder, const std::vector<BoxCase>& boxes) {
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (const std::string blankOrZero : {"", "  ", "0", "0.0", "-0"}) {
            EncodeSettings s;
            for (std::size_t later = i; later < boxes.size(); ++later) *boxes[later].box(s) = "";
            *boxes[i].box(s) = blankOrZero;
            BuildRun run;
            Build(run, builder, s);
            EXPECT_FALSE(run.ok);
            ASSERT_EQ(run.port.messages.size(), 1u) << i;
            EXPECT_EQ(run.port.messages[0], boxes[i].message) << '"' << blankOrZero << '"';
            EXPECT_EQ(run.port.icons[0], MessageIcon::None);
            EXPECT_EQ(run.state.CompDataPass1, "old 1");
            EXPECT_EQ(run.state.CompDataPass2, "old 2");
            EXPECT_EQ(run.state.CompDataPass3, "old 3");
        }
    }
}

}  // namespace

TEST(CreateCompData, NoInputMessagesComeInTheOrderOfTheBoxes) {
    ExpectNoInputOrder(CreateCompDataDivx5, {
        {BOX(txtBr), "No input for encoding bitrate"},
        {BOX(txtKf), "No input for keyframe interval"},
        {BOX(txtSc), "No input for scene change threshold"},
        {BOX(txtMaxQ), "No input for maximum quantizer"},
        {BOX(txtMinQ), "No input for minimum quantizer"},
        {BOX(txtRCAve), "No input for RC average period"},
        {BOX(txtRCReac), "No input for RC reaction period"},
        {BOX(txtRCdur), "No input for RC down/up reaction"},
    });
    ExpectNoInputOrder(CreateCompDataDivx4, {
        {BOX(TxtBr4), "No input for encoding bitrate"},
        {BOX(TxtKF4), "No input for keyframe interval"},
        {BOX(TxtMaxQ4), "No input for maximum quantizer"},
        {BOX(txtMinQ4), "No input for minimum quantizer"},
        {BOX(TxtRCAve4), "No input for RC average period"},
        {BOX(TxtRCReac4), "No input for RC reaction period"},
        {BOX(TxtRCdur4), "No input for RC down/up reaction"},
    });
    ExpectNoInputOrder(CreateCompDataXvid, {
        {BOX(TxtBrX), "No input for encoding bitrate"},
        {BOX(TxtKFX), "No input for keyframe interval"},
        {BOX(txtKF2X), "No input for keyframe interval"},
        {BOX(TxtSize), "No input for desired size"},
        {BOX(TxtIQuantMin), "No input for Min I-frame Quant. size"},
        {BOX(TxtIQuantMax), "No input for Max I-frame Quant. size"},
        {BOX(TxtPQuantMin), "No input for Min P-frame Quant. size"},
        {BOX(TxtPQuantMax), "No input for Max P-frame Quant. size"},
    });
}

// Each refused input: one message, false, and the state texts untouched.
TEST(CreateCompData, RefusedInputShowsOneMessageAndLeavesTheState) {
    struct Case {
        const char* label;
        Builder builder;
        std::function<void(EncodeSettings&)> edit;
        std::string message;
    };
    const std::string negative = "Invalid input. Negative value is not acceptable";
    const Case cases[] = {
        // Sign checks come after every "No input" check has passed.
        {"divx4 negative keyframes", CreateCompDataDivx4, [](EncodeSettings& s) { s.TxtKF4 = "-300"; }, negative},
        {"divx4 negative before empty", CreateCompDataDivx4,
         [](EncodeSettings& s) { s.TxtKF4 = "-300"; s.TxtRCdur4 = ""; }, "No input for RC down/up reaction"},
        {"divx5 negative period", CreateCompDataDivx5, [](EncodeSettings& s) { s.txtRCdur = "-0.4"; }, negative},
        {"xvid negative size", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtSize = "-1"; }, negative},
        {"xvid negative min keyframes", CreateCompDataXvid, [](EncodeSettings& s) { s.txtKF2X = "-1"; }, negative},
        // Texts that are not numbers name their box.
        {"divx5 letters", CreateCompDataDivx5, [](EncodeSettings& s) { s.txtBr = "abc"; },
         "Invalid input. Not a number: encoding bitrate"},
        {"divx5 lone sign", CreateCompDataDivx5, [](EncodeSettings& s) { s.txtSc = "-"; },
         "Invalid input. Not a number: scene change threshold"},
        {"divx4 letters", CreateCompDataDivx4, [](EncodeSettings& s) { s.TxtRCReac4 = "10x"; },
         "Invalid input. Not a number: RC reaction period"},
        {"divx4 inf", CreateCompDataDivx4, [](EncodeSettings& s) { s.TxtBr4 = "inf"; },
         "Invalid input. Not a number: encoding bitrate"},
        {"divx4 other decimal separator", CreateCompDataDivx4, [](EncodeSettings& s) { s.TxtMaxQ4 = "12,5"; },
         "Invalid input. Not a number: maximum quantizer"},
        {"xvid letters before empty", CreateCompDataXvid,
         [](EncodeSettings& s) { s.txtKF2X = "one"; s.TxtSize = ""; },
         "Invalid input. Not a number: minimum keyframe interval"},
        {"xvid quantizer", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtPQuantMax = "nan"; },
         "Invalid input. Not a number: maximum P-frame quantizer"},
        // The nine curve boxes have no "No input" check: empty is not a number.
        {"xvid empty boost", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtBoost = ""; },
         "Invalid input. Not a number: I-frame boost"},
        {"xvid payback", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtPayback = "2 40"; },
         "Invalid input. Not a number: bitrate payback delay"},
        {"xvid strength", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtStrenght = ""; },
         "Invalid input. Not a number: curve strength"},
        {"xvid bonus bias", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtBonusBias = ""; },
         "Invalid input. Not a number: bonus bias"},
        {"xvid curve box before sign", CreateCompDataXvid,
         [](EncodeSettings& s) { s.TxtBonusBias = ""; s.TxtBrX = "-900"; },
         "Invalid input. Not a number: bonus bias"},
        // Values that do not fit their 32-bit fields.
        {"divx5 bitrate", CreateCompDataDivx5, [](EncodeSettings& s) { s.txtBr = "2147484"; },
         "Invalid input. Out of range: encoding bitrate"},
        {"divx4 bitrate", CreateCompDataDivx4, [](EncodeSettings& s) { s.TxtBr4 = "2147483.648"; },
         "Invalid input. Out of range: encoding bitrate"},
        {"xvid bitrate", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtBrX = "9e9"; },
         "Invalid input. Out of range: encoding bitrate"},
        {"divx4 keyframes", CreateCompDataDivx4, [](EncodeSettings& s) { s.TxtKF4 = "1e10"; },
         "Invalid input. Out of range: keyframe interval"},
        {"xvid negative quantizer", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtIQuantMax = "-3e9"; },
         "Invalid input. Out of range: maximum I-frame quantizer"},
        {"xvid curve box", CreateCompDataXvid, [](EncodeSettings& s) { s.TxtPayback = "2147483647.5"; },
         "Invalid input. Out of range: bitrate payback delay"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EncodeSettings s = TwoPasses();
        s.ChkDivx4Pass3 = 1;
        c.edit(s);
        BuildRun run;
        Build(run, c.builder, s);
        EXPECT_FALSE(run.ok);
        ASSERT_EQ(run.port.messages.size(), 1u);
        EXPECT_EQ(run.port.messages[0], c.message);
        EXPECT_EQ(run.state.CompDataPass1, "old 1");
        EXPECT_EQ(run.state.CompDataPass2, "old 2");
        EXPECT_EQ(run.state.CompDataPass3, "old 3");
    }
}

TEST(CreateCompData, ReadsNumbersInTheUsersFormatAndRoundsHalvesToEven) {
    struct Case { std::string kf; std::string bitrate; NumberFormat format; std::int32_t atKf, atBr; };
    const Case cases[] = {
        {"299.5", "780", {'.', ','}, 300, 780000},
        {"300.5", "780", {'.', ','}, 300, 780000},
        {"300,5", "2,5", {',', '.'}, 300, 2500},
        {" 1.000 ", "1.000,0004", {',', '.'}, 1000, 1000000},
        {"3e2", "2147483", {'.', ','}, 300, 2147483000},
        {"301.49", "0.0004", {'.', ','}, 301, 0},
    };
    for (const auto& c : cases) {
        EncodeSettings s;
        s.TxtKF4 = c.kf;
        s.TxtBr4 = c.bitrate;
        BuildRun run;
        Build(run, CreateCompDataDivx4, s, c.format);
        ASSERT_TRUE(run.ok) << c.kf << (run.port.messages.empty() ? "" : run.port.messages[0]);
        const Bytes p1 = Decode(run.state.CompDataPass1);
        EXPECT_EQ(IntAtByte(p1, 16), c.atKf) << c.kf;
        EXPECT_EQ(IntAtByte(p1, 0), c.atBr) << c.bitrate;
    }
}

// ---- DivX 4 ---------------------------------------------------------------------

TEST(CreateCompDataDivx4, TemplateValuesInOnePassGiveTheTemplateWithItsEqualsSign) {
    EncodeSettings s;  // the window's defaults are the template's values
    BuildRun run;
    Build(run, CreateCompDataDivx4, s);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.state.CompDataPass1, Divx4Template() + "=");
    EXPECT_EQ(run.state.CompDataPass1.size(), 424u);
    EXPECT_EQ(Encode(Decode(run.state.CompDataPass1)), run.state.CompDataPass1);
    EXPECT_EQ(run.state.CompDataPass2.size(), 424u);
    EXPECT_EQ(run.state.CompDataPass2.back(), '=');
    EXPECT_EQ(DifferingFields(Decode(run.state.CompDataPass1), Decode(run.state.CompDataPass2)),
              std::set<int>{32});
    EXPECT_EQ(IntAtByte(Decode(run.state.CompDataPass2), 32), 3);
    EXPECT_EQ(run.state.CompDataPass3, "");  // no third pass asked for
}

TEST(CreateCompDataDivx4, TwoPassesAndAThirdPass) {
    EncodeSettings s = TwoPasses();
    s.TxtBr4 = "1000";
    s.TxtKF4 = "250";
    s.TxtMaxQ4 = "14";
    s.txtMinQ4 = "3";
    s.TxtRCAve4 = "1500";
    s.TxtRCReac4 = "9";
    s.TxtRCdur4 = "19";
    s.ChkDivx4Pass3 = 1;
    BuildRun run;
    Build(run, CreateCompDataDivx4, s);
    ASSERT_TRUE(run.ok);
    const Bytes p1 = Decode(run.state.CompDataPass1), p2 = Decode(run.state.CompDataPass2);
    const std::int32_t expected[] = {1000000, 1500, 9, 19, 250, 14, 3, 5, 2, 85, 0, 0, 0, -1, 1};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(IntAtByte(p1, 4 * i), expected[i]) << 4 * i;
    EXPECT_EQ(DifferingFields(p1, p2), std::set<int>{32});
    EXPECT_EQ(IntAtByte(p2, 32), 3);

    // The third pass: the digits of the second pass's record, each byte most
    // significant bit first, and the template's two fill digits.
    std::string digits;
    for (std::uint8_t b : p2)
        for (int bit = 7; bit >= 0; --bit) digits += ((b >> bit) & 1) ? '1' : '0';
    EXPECT_EQ(run.state.CompDataPass3, digits + "00");
}

// ---- XviD -----------------------------------------------------------------------

TEST(CreateCompDataXvid, LuminanceAndHintedMotionDependOnThePasses) {
    struct Case { int numPassIndex; std::int32_t p1[3], p2[3]; };
    // Values at byte offsets 0, 312 and 540.
    const Case cases[] = {{0, {0, 0, 0}, {5, 0, 0}}, {1, {3, 0, 1}, {5, 1, 0}}};
    for (const auto& c : cases) {
        EncodeSettings s;
        s.CmbNumPass = c.numPassIndex;
        s.Chklum = s.ChkHintME = 1;
        BuildRun run;
        Build(run, CreateCompDataXvid, s);
        ASSERT_TRUE(run.ok);
        EXPECT_EQ(run.state.CompDataPass1.size(), 1500u);
        EXPECT_EQ(run.state.CompDataPass2.size(), 1500u);
        EXPECT_EQ(run.state.CompDataPass3, "old 3");
        const Bytes p1 = Decode(run.state.CompDataPass1), p2 = Decode(run.state.CompDataPass2);
        const int offsets[] = {0, 312, 540};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(IntAtByte(p1, offsets[i]), c.p1[i]) << "pass 1 at " << offsets[i];
            EXPECT_EQ(IntAtByte(p2, offsets[i]), c.p2[i]) << "pass 2 at " << offsets[i];
        }
        std::set<int> expectedDiff{0};
        if (c.p1[1] != c.p2[1]) expectedDiff.insert(312);
        if (c.p1[2] != c.p2[2]) expectedDiff.insert(540);
        EXPECT_EQ(DifferingFields(p1, p2), expectedDiff);
    }
}

TEST(CreateCompDataXvid, WritesEachSettingAtItsField) {
    EncodeSettings s = TwoPasses();
    s.TxtBrX = "901";
    s.TxtSize = "570001";
    s.TxtKFX = "301";
    s.txtKF2X = "2";
    s.TxtIQuantMin = "3";
    s.TxtIQuantMax = "-5";  // no sign check: written unchanged
    s.TxtPQuantMin = "4";
    s.TxtPQuantMax = "29";
    s.TxtBoost = "21";
    s.TxtHightBit = "26";
    s.TxtLowBit = "11";
    s.TxtPayback = "241";
    s.TxtHighDist = "301";
    s.TxtLowDist = "299";
    s.TxtStrenght = "51";
    s.TxtMinQuality = "49";
    s.TxtBonusBias = "-52";
    s.CmbMotion = 3;
    s.CmbQuant = 2;
    s.CmbFourcc = 1;
    s.CmbAgression = 2;
    s.OptPayback = 1;
    s.ChkAltCurve = 1;
    s.ChkAutoQuality = 0;
    s.ChkAutoBonus = 0;
    BuildRun run;
    Build(run, CreateCompDataXvid, s);
    ASSERT_TRUE(run.ok);
    const Bytes p1 = Decode(run.state.CompDataPass1);
    const std::pair<int, std::int32_t> fields[] = {
        {0, 3}, {4, 901000}, {8, 570001}, {292, 3}, {296, 2}, {300, 1}, {304, 301}, {308, 2},
        {312, 0}, {320, 3}, {324, -5}, {328, 4}, {332, 29}, {464, 21}, {476, 26}, {480, 11},
        {484, 1}, {488, 0}, {492, 51}, {496, 0}, {500, -52}, {504, 2}, {508, 301}, {512, 299},
        {516, 49}, {532, 241}, {536, 1}, {540, 0}};
    for (const auto& [offset, value] : fields) EXPECT_EQ(IntAtByte(p1, offset), value) << offset;
    std::set<int> written;
    for (const auto& [offset, value] : fields)
        if (IntAtByte(Decode(XvidTemplate()), offset) != value) written.insert(offset);
    EXPECT_EQ(DifferingFields(Decode(XvidTemplate()), p1), written);
}

TEST(CreateCompDataXvid, ModulatedSecondPassSetsTheSecondPassQuantizationType) {
    struct Case { int numPassIndex; int modulated; std::int32_t p2Quant; };
    const Case cases[] = {{1, 1, 3}, {1, 0, 0}, {0, 1, 0}};
    EncodeSettings plain = TwoPasses();
    BuildRun reference;
    Build(reference, CreateCompDataXvid, plain);
    ASSERT_TRUE(reference.ok);
    for (const auto& c : cases) {
        EncodeSettings s;
        s.CmbNumPass = c.numPassIndex;
        s.CmbQuant = 0;  // "H.263"
        s.ChkModulated2pass = c.modulated;
        BuildRun run;
        Build(run, CreateCompDataXvid, s);
        ASSERT_TRUE(run.ok);
        const Bytes p1 = Decode(run.state.CompDataPass1), p2 = Decode(run.state.CompDataPass2);
        EXPECT_EQ(IntAtByte(p1, 296), 0);
        EXPECT_EQ(IntAtByte(p2, 296), c.p2Quant);
        EXPECT_EQ(IntAtByte(p1, 32), 0);  // inside the statistics path field
        if (c.numPassIndex == 1)
            EXPECT_EQ(run.state.CompDataPass1, reference.state.CompDataPass1);
    }
}
