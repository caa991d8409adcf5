// The run driver's pieces that are tables of their own: numbers in the
// user's format, BeSweet's input switch. Whole runs
// are in run_scenarios_test.cpp.
#include <gtest/gtest.h>

#include "codecstate/codec_state.h"
#include "jobs/besweet.h"
#include "fakes/fakes.h"
#include "model/form_model.h"
#include "run/encode_log.h"

using namespace mb;
using mb::fakes::World;

namespace {

// The window after start-up with D:\v\movie.avs chosen, then the edits
// ("Name=value" as the control holds it).
struct Encode {
    World w;
    ProgramState st;
    EncodeSettings s;
    explicit Encode(const std::vector<std::string>& edits = {}) {
        st.ProgramFolder = "C:\\Tools";
        FormModel form(st);
        form.RunStartup({});
        form.BrowseSource("D:\\v\\movie.avs");
        s = form.Settings();
        for (const std::string& e : edits) {
            const Ctl c = FindControl(e.substr(0, e.find('=')));
            if (std::string* text = TextField(s, c)) *text = e.substr(e.find('=') + 1);
            else *IntField(s, c) = std::stoi(e.substr(e.find('=') + 1));
        }
    }
};

}  // namespace

TEST(Run, NumbersInTheUsersFormatRoundHalvesToEven) {
    const struct {
        const char *kf, *br;
        NumberFormat format;
        const char *sameKf, *sameBr;  // plain texts that give the same state
    } cases[] = {
        {"299.5", "2147483", {'.', ','}, "300", "2147483"},
        {"300,5", "2,5", {',', '.'}, "300", "2.5"},
        {" 1.000 ", "1.000,0004", {',', '.'}, "1000", "1000"},
        {"301.49", "0.0004", {'.', ','}, "301", "0.0001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kf);
        Encode a({"OptCodec=1", std::string("TxtKF4=") + c.kf, std::string("TxtBr4=") + c.br});
        Encode b({"OptCodec=1", std::string("TxtKF4=") + c.sameKf, std::string("TxtBr4=") + c.sameBr});
        ASSERT_TRUE(CreateCompDataDivx4(a.s, a.st, a.w, c.format));
        ASSERT_TRUE(CreateCompDataDivx4(b.s, b.st, b.w, NumberFormat{}));
        EXPECT_EQ(a.st.CompDataPass1, b.st.CompDataPass1);
    }
}

TEST(Run, BesweetReadsMp2InputFromALowerCaseMpaOnly) {
    const std::pair<const char*, bool> sources[] = {
        {"D:\\a\\film.mpa", true},      {"D:\\a\\film.MPA", false}, {"D:\\a\\film.Mpa", false},
        {"D:\\a\\film.mpa.ac3", false}, {"D:\\a.mpa\\film", false}, {"D:\\a\\film.mpa2", false},
    };
    for (const auto& [source, mp2] : sources)
        for (int stream : {1, 2}) {
            Encode r;
            (stream == 1 ? r.st.Stream1FilePath : r.st.Stream2FilePath) = source;
            const std::string line = BesweetCommandLine(stream, r.s, r.st);
            EXPECT_NE(line.find(std::string("-input \"") + source + "\""), std::string::npos) << line;
            EXPECT_EQ(line.find("--mp2input") != std::string::npos, mp2) << line;
        }
}
