#include "compose/job_stream.h"
#include "compose/rch_document.h"

#include <gtest/gtest.h>

#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using test::Visible;

class JobStreamTest : public testing::Test {
  protected:
    std::string Header(PrinterType type) {
        JobStreamComposer composer(values, type, clock);
        EXPECT_TRUE(composer.ComposeJobHeader(job));
        return job.bytes();
    }

    CUserObject values = DefaultUserObject();
    MemoryPrintJob job;
    FixedClock clock{LocalTime{2026, 12, 7, 14, 30, 0}};
};

TEST_F(JobStreamTest, DefaultsGiveNoBlocksAndThePlainTrailer) {
    JobStreamComposer composer(values, PrinterType::Velmar, clock);
    ASSERT_TRUE(composer.ComposeJobHeader(job));
    EXPECT_EQ(job.writeCount(), 0);
    ASSERT_TRUE(composer.ComposeJobTrailer(job));
    EXPECT_EQ(Visible(job.bytes()), "<ESC>.*");
}

TEST_F(JobStreamTest, GenericWritesNothingAtAll) {
    values.job.copies = 4;
    values.stamp.stampOn = 1;
    values.raster[7] = Text(rid::kCompressionTG4);
    JobStreamComposer composer(values, PrinterType::Generic, clock);
    EXPECT_TRUE(composer.ComposeJobHeader(job));
    EXPECT_TRUE(composer.ComposeJobTrailer(job));
    EXPECT_EQ(job.bytes(), "");
}

TEST_F(JobStreamTest, BlocksInOrderEachItsOwnWrite) {
    values.calcompPens[2].width = "3";
    values.calcomp.checksum = Text(rid::kCalCompOff);
    values.stamp.stampOn = 1;
    values.stamp.text = "X";
    values.hpglPens[0].grayLevel = "20";
    values.hpglPens[14].width = "31";
    values.hpgl.rotation = "0";
    values.job.copies = 2;
    values.job.folding = 3;
    values.raster[9] = "90";
    EXPECT_EQ(Visible(Header(PrinterType::Velmar)),
              "<ESC>.CCPEN 3 = W3:"
              "<ESC>.CCSUM OFF:"
              "<ESC>.TEXT O0 P8 C0 L0 G0 S0:X<NUL>"
              "<ESC>.HPPEN 1 = G20:"
              "<ESC>.HPPEN 15 = W31:"
              "<ESC>.HPROT 0:"
              "<ESC>.COPY2:"
              "<ESC>.FOLDER ON:<ESC>.FOLDER 2:"
              "<ESC>.GR9Z");
    EXPECT_EQ(job.writeCount(), 9);
}

TEST_F(JobStreamTest, SetCurrentFlagChangesTheTerminator) {
    values.setCurrentFlag = 1;
    values.job.format = Text(rid::kFormatHpgl);
    values.job.rasterMode = Text(rid::kOnWord);
    values.job.folding = 1;
    EXPECT_EQ(Visible(Header(PrinterType::Velmar)),
              "<ESC>.FORMAT HP!<ESC>.PRMODE RAS:<ESC>.FOLDER OFF:");
}

TEST_F(JobStreamTest, MediaAtTheDefaultTextSendsNoMedia) {
    values.job.media = test::SwapCase(Text(rid::kDefaultText));
    values.job.tray = Text(rid::kTray3);
    EXPECT_EQ(Visible(Header(PrinterType::Velmar)), "<ESC>.TRAY 3:");
}

TEST_F(JobStreamTest, TrailerFollowsTheRasterStateOfItsOwnEntry) {
    values.raster[7] = Text(rid::kCompressionC4);
    values.job.rasterMode = Text(rid::kOnWord);
    JobStreamComposer composer(values, PrinterType::Velmar, clock);
    ASSERT_TRUE(composer.ComposeJobHeader(job));
    EXPECT_TRUE(composer.compressedRasterFlag());
    MemoryPrintJob trailer;
    ASSERT_TRUE(composer.ComposeJobTrailer(trailer));
    EXPECT_EQ(trailer.bytes(), std::string(32, '\0') + "DONE");

    // The next entry starts with the flag cleared: raster mode on, nothing compressed.
    values.raster[7].clear();
    ASSERT_TRUE(composer.ComposeJobHeader(job));
    EXPECT_FALSE(composer.compressedRasterFlag());
    MemoryPrintJob second;
    ASSERT_TRUE(composer.ComposeJobTrailer(second));
    EXPECT_EQ(Visible(second.bytes()), "<FF><ESC>.PRMODE DIS!<ESC>.*");
    EXPECT_EQ(second.writeCount(), 2);
}

TEST_F(JobStreamTest, FailedWriteStopsTheHeaderAndAnswersTheFailure) {
    for (auto& pen : values.hpglPens) pen.width = "5";
    values.job.copies = 1;
    job.FailFromWrite(3);
    JobStreamComposer composer(values, PrinterType::Velmar, clock);
    const Result<void> header = composer.ComposeJobHeader(job);
    ASSERT_FALSE(header.ok());
    EXPECT_EQ(job.writeCount(), 3);
    EXPECT_EQ(Visible(job.bytes()), "<ESC>.HPPEN 1 = W5:<ESC>.HPPEN 2 = W5:<ESC>.HPPEN 3 = W5:");
    EXPECT_EQ(header.error().resource, rid::kHeaderWriteFailed);
    EXPECT_EQ(header.error().kind, ErrorKind::Printer);
    EXPECT_EQ(header.error().message, LoadResourceString(rid::kHeaderWriteFailed));
    EXPECT_FALSE(header.error().shown);

    EXPECT_FALSE(composer.ComposeJobTrailer(job).ok());
    // A failure does not stick to the next header.
    MemoryPrintJob next;
    EXPECT_TRUE(composer.ComposeJobHeader(next).ok());
}

TEST_F(JobStreamTest, RchDocumentCarriesCopiesAndRoll) {
    values.job.copies = 2;
    values.job.tray = ToUpperAscii(Text(rid::kTray1));
    values.job.format = Text(rid::kFormatHpgl);  // not part of the document
    EXPECT_EQ(Header(PrinterType::Oce9400),
              "BEGMF \"RCH file\";\r\nMFVERSION 1;\r\n"
              "MFDESC \"Oce Graphics Configuration format V1.00\";\r\n"
              "APPLDATA 002 \"CO=2\";\r\nAPPLDATA 021 \"RN=1\";\r\nENDMF;\r\n");
    EXPECT_EQ(job.writeCount(), 3);
}

TEST_F(JobStreamTest, RchRollCodes) {
    const std::string preamble(kRchPreamble);
    values.job.tray = Text(rid::kTray3);
    EXPECT_EQ(Header(PrinterType::Oce9400), preamble + "APPLDATA 021 \"RN=2\";\r\nENDMF;\r\n");
    job = MemoryPrintJob();
    values.job.tray = Text(rid::kTray100);
    EXPECT_EQ(Header(PrinterType::Oce9400), preamble + "APPLDATA 021 \"\";\r\nENDMF;\r\n");
}

TEST_F(JobStreamTest, RchWithNothingToSaySendsNothing) {
    values.job.format = Text(rid::kFormatHpgl);
    JobStreamComposer composer(values, PrinterType::Oce9400, clock);
    EXPECT_TRUE(composer.ComposeJobHeader(job));
    EXPECT_TRUE(composer.ComposeJobTrailer(job));
    EXPECT_EQ(job.bytes(), "");
}

class CountingExports : public HeaderExports {
  public:
    explicit CountingExports(CUserObject& values) : values_(values) {}
    void ExportForHeader() override { values_.job.copies = static_cast<std::uint8_t>(++calls_); }
    int calls_ = 0;

  private:
    CUserObject& values_;
};

TEST_F(JobStreamTest, PagesAreExportedBeforeEveryHeaderOnly) {
    CountingExports exports(values);
    JobStreamComposer composer(values, PrinterType::Velmar, clock, &exports);
    ASSERT_TRUE(composer.ComposeJobHeader(job));
    ASSERT_TRUE(composer.ComposeJobTrailer(job));
    ASSERT_TRUE(composer.ComposeJobHeader(job));
    EXPECT_EQ(exports.calls_, 2);
    EXPECT_EQ(Visible(job.bytes()), "<ESC>.COPY1:<ESC>.*<ESC>.COPY2:");
}

}  // namespace
}  // namespace kestrum
