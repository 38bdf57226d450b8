#include "compose/job_header_blocks.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "shell/resource_ids.h"
#include "shell/text_compare.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using test::Visible;

struct HeaderRow {
    const char* name;
    JobHeaderInputs (*inputs)();
    char terminator;
    const char* expected;  // "^" stands for ESC
};

std::string Escaped(const char* pattern) {
    std::string out;
    for (const char* p = pattern; *p != 0; ++p) out += *p == '^' ? '\x1b' : *p;
    return out;
}

void PrintTo(const HeaderRow& row, std::ostream* os) {
    *os << row.name;
}

class JobHeaderBlockTest : public testing::TestWithParam<HeaderRow> {};

TEST_P(JobHeaderBlockTest, Composes) {
    CompositionBuffer buffer;
    JobHeaderBlock(buffer, GetParam().inputs(), GetParam().terminator);
    EXPECT_EQ(Visible(buffer.text()), Visible(Escaped(GetParam().expected)));
}

// Texts are looked up at run time, so each row builds its inputs in a function; Keep holds the
// strings the inputs' views point into for the whole test run.
const std::string& Keep(std::string text) {
    static std::vector<std::unique_ptr<std::string>> kept;
    kept.push_back(std::make_unique<std::string>(std::move(text)));
    return *kept.back();
}

JobHeaderInputs Scale(const std::string& scale) {
    JobHeaderInputs in;
    in.pageScale = Keep(scale);
    return in;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JobHeaderBlockTest,
    testing::Values(
        HeaderRow{"nothingSet", [] { return JobHeaderInputs{}; }, ':', ""},
        HeaderRow{"copiesOne",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "1";
                      return in;
                  },
                  ':', "^.COPY1:"},
        HeaderRow{"copiesHundred",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "100";
                      return in;
                  },
                  ':', "^.COPY100:"},
        // A copies text that is no number within the field never reaches the controller.
        HeaderRow{"copiesOverflowNotSet",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "100000000000000000000000";
                      return in;
                  },
                  ':', ""},
        HeaderRow{"copiesAboveFieldNotSet",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "101";
                      return in;
                  },
                  ':', ""},
        HeaderRow{"copiesWithCommandNotSet",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "1:\x1b.FORMAT PS";
                      return in;
                  },
                  ':', ""},
        HeaderRow{"copiesExponentNotSet",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "1e23";
                      return in;
                  },
                  ':', ""},
        HeaderRow{"formatHpglSetCurrent",
                  [] {
                      JobHeaderInputs in;
                      in.format = Keep(Text(rid::kFormatHpgl));
                      return in;
                  },
                  '!', "^.FORMAT HP!"},
        HeaderRow{"formatMatchesWithoutCase",
                  [] {
                      JobHeaderInputs in;
                      in.format = Keep(ToUpperAscii(Text(rid::kFormatPostScript)));
                      return in;
                  },
                  ':', "^.FORMAT PS:"},
        HeaderRow{"rasterModeKeepsColonWhenSetCurrent",
                  [] {
                      JobHeaderInputs in;
                      in.rasterMode = Keep(Text(rid::kOnWord));
                      return in;
                  },
                  '!', "^.PRMODE RAS:"},
        HeaderRow{"rasterModeOffSendsNothing",
                  [] {
                      JobHeaderInputs in;
                      in.rasterMode = Keep(Text(rid::kOffWord));
                      return in;
                  },
                  ':', ""},
        HeaderRow{"trayInCapitals",
                  [] {
                      JobHeaderInputs in;
                      in.tray = Keep(ToUpperAscii(Text(rid::kTray100)));
                      return in;
                  },
                  ':', "^.TRAY 100:"},
        HeaderRow{"mediaFilm",
                  [] {
                      JobHeaderInputs in;
                      in.media = Keep(Text(rid::kMediaFilm));
                      return in;
                  },
                  ':', "^.MEDIA FILM:"},
        HeaderRow{"mediaUnknownSendsNothing",
                  [] {
                      JobHeaderInputs in;
                      in.media = "Canvas";
                      return in;
                  },
                  ':', ""},
        HeaderRow{"scaleAuto", [] { return Scale(Text(rid::kAuto)); }, ':', "^.PGSCALE AUTO:"},
        HeaderRow{"scaleFromTo",
                  [] { return Scale(Text(rid::kSizeA0) + " " + Text(rid::kSizeA4)); }, ':',
                  "^.PGSCALE A0A4:"},
        HeaderRow{"scaleFirstWordOnly", [] { return Scale(Text(rid::kSizeA0) + " Q"); }, ':',
                  "^.PGSCALE A0"},
        HeaderRow{"scaleRestOnly", [] { return Scale("Q " + Text(rid::kSizeB)); }, ':', "B:"},
        HeaderRow{"scaleWithoutBlank", [] { return Scale(Text(rid::kSizeE)); }, ':', "^.PGSCALE E"},
        HeaderRow{"pageSizeNamed",
                  [] {
                      JobHeaderInputs in;
                      in.pageSize = Keep(Text(rid::kSizeA1));
                      return in;
                  },
                  ':', "^.PAGESIZE A1:"},
        HeaderRow{"pageSizeAuto",
                  [] {
                      JobHeaderInputs in;
                      in.pageSize = Keep(Text(rid::kAuto));
                      return in;
                  },
                  ':', "^.PAGESIZE AUTO:"},
        HeaderRow{"pageSizeCustomSendsNothing",
                  [] {
                      JobHeaderInputs in;
                      in.pageSize = "841mm 1189mm";
                      return in;
                  },
                  ':', ""},
        HeaderRow{"everythingInOrder",
                  [] {
                      JobHeaderInputs in;
                      in.copies = "3";
                      in.format = Keep(Text(rid::kFormatCalComp));
                      in.rasterMode = Keep(Text(rid::kOnWord));
                      in.tray = Keep(Text(rid::kTray2));
                      in.media = Keep(Text(rid::kMediaBond));
                      in.pageScale = Keep(Text(rid::kAuto));
                      in.pageSize = Keep(Text(rid::kSizeD));
                      return in;
                  },
                  ':',
                  "^.COPY3:^.FORMAT CC:^.PRMODE RAS:^.TRAY 2:^.MEDIA BOND:^.PGSCALE AUTO:"
                  "^.PAGESIZE D:"}),
    [](const testing::TestParamInfo<HeaderRow>& info) { return std::string(info.param.name); });

TEST(FolderCommandTest, SelectionsMapToCommandsWithFixedColon) {
    CompositionBuffer buffer;
    FolderCommand(buffer, 0);
    EXPECT_EQ(buffer.text(), "");
    FolderCommand(buffer, -4);
    EXPECT_EQ(buffer.text(), "");
    FolderCommand(buffer, 1);
    EXPECT_EQ(Visible(buffer.text()), "<ESC>.FOLDER OFF:");
    buffer.Clear();
    FolderCommand(buffer, 2);
    EXPECT_EQ(Visible(buffer.text()), "<ESC>.FOLDER ON:<ESC>.FOLDER 1:");
    buffer.Clear();
    FolderCommand(buffer, 256);
    EXPECT_EQ(Visible(buffer.text()), "<ESC>.FOLDER ON:<ESC>.FOLDER 255:");
}

struct RasterRow {
    const char* name;
    RasterInputs (*inputs)();
    const char* expected;
    bool compressed;
};

RasterInputs RasterWith(int index, int resource) {
    RasterInputs in;
    in.texts[index] = Keep(Text(resource));
    return in;
}

void PrintTo(const RasterRow& row, std::ostream* os) {
    *os << row.name;
}

class RasterSettingsBlockTest : public testing::TestWithParam<RasterRow> {};

TEST_P(RasterSettingsBlockTest, Composes) {
    CompositionBuffer buffer;
    const bool compressed = RasterSettingsBlock(buffer, GetParam().inputs(), ':');
    EXPECT_EQ(Visible(buffer.text()), Visible(Escaped(GetParam().expected)));
    EXPECT_EQ(compressed, GetParam().compressed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RasterSettingsBlockTest,
    testing::Values(
        RasterRow{"noCodeDropsBlock", [] { return RasterInputs{}; }, "", false},
        RasterRow{"unknownTextsDropBlock",
                  [] {
                      RasterInputs in;
                      for (auto& t : in.texts) t = "nonsense";
                      return in;
                  },
                  "", false},
        RasterRow{"imageReverse", [] { return RasterWith(0, rid::kRasterReverse); }, "^.GIIRZ",
                  false},
        RasterRow{"ditherStochastic", [] { return RasterWith(2, rid::kAuto); }, "^.GDSZ", false},
        RasterRow{"ditherOffIsDD", [] { return RasterWith(2, rid::kOffWord); }, "^.GDDZ", false},
        RasterRow{"widthZeroStillSent",
                  [] {
                      RasterInputs in;
                      in.width = 0;
                      return in;
                  },
                  "^.GSW0Z", false},
        RasterRow{"widthAndLengthAtTheirLargest",
                  [] {
                      RasterInputs in;
                      in.width = 4294967295;
                      in.length = 4294967295;
                      return in;
                  },
                  "^.GSW4294967295SL4294967295Z", false},
        // 4294967296 would wrap to SW0, -5 to SW4294967291: beyond the field is not set.
        RasterRow{"widthAndLengthBeyondTheFieldNotSet",
                  [] {
                      RasterInputs in;
                      in.width = 4294967296;
                      in.length = -5;
                      return in;
                  },
                  "", false},
        RasterRow{"rotationPlainNumbers",
                  [] {
                      RasterInputs in;
                      in.texts[9] = "90";
                      return in;
                  },
                  "^.GR9Z", false},
        RasterRow{"codesInFixedOrder",
                  [] {
                      RasterInputs in = RasterWith(3, rid::kRasterNormal);
                      in.texts[0] = Keep(Text(rid::kRasterNormal));
                      in.texts[1] = Keep(Text(rid::kRasterReverse));
                      in.texts[2] = Keep(Text(rid::kDitherDP50));
                      in.imageTriState = 0;
                      in.texts[8] = Keep(Text(rid::kOnWord));
                      in.texts[9] = "0";
                      in.width = 1200;
                      in.length = 800;
                      return in;
                  },
                  "^.GIINIYRDP50IMDICER0IPNSW1200SL800Z", false},
        RasterRow{"compressionAloneStillSent", [] { return RasterWith(7, rid::kCompressionTG4); },
                  "^.GTG4:", true},
        RasterRow{"compressionAfterCodes",
                  [] {
                      RasterInputs in = RasterWith(7, rid::kCompressionC4);
                      in.imageTriState = 1;
                      return in;
                  },
                  "^.GIMEZ^.GC4:", true},
        RasterRow{"compressionComparedWithCase",
                  [] {
                      RasterInputs in;
                      in.texts[7] = Keep(test::SwapCase(Text(rid::kCompressionTG4)));
                      return in;
                  },
                  "", false}),
    [](const testing::TestParamInfo<RasterRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrum
