// The whole renderer as Kestrum calls it: the fuzzer's bytes are the drawing file, rendered both
// as HP-GL/2 (into /dev/null) and as a preview. The first bytes choose the record's scale, paper
// and plot choice, so placement is fuzzed together with the drawing.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugins/acadhpgl/acadhpgl.h"

namespace {

int Drawing() {
    static const int fd = ::memfd_create("drawing", 0);
    return fd;
}
int Canvas() {
    static const int fd = [] {
        const int canvas = ::memfd_create("canvas", 0);
        if (::ftruncate(canvas, ACADHPGL_BITMAP_BYTES) != 0) std::abort();
        return canvas;
    }();
    return fd;
}
int Sink() {
    static const int fd = ::open("/dev/null", O_WRONLY);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::uint8_t mode = data[0], choice = data[1], paperX = data[2], paperY = data[3];
    data += 4;
    size -= 4;
    if (::ftruncate(Drawing(), 0) != 0 ||
        ::pwrite(Drawing(), data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }

    AcadRenderRecord record;
    std::memset(&record, 0, sizeof record);
    std::snprintf(record.drawingPath, sizeof record.drawingPath, "/proc/self/fd/%d", Drawing());
    if (IsaACAD(&record) == 0) return 0;

    record.scaleMode = mode & 1;
    record.fitSubMode = (mode >> 1) & 1;
    record.paperMode = (mode >> 2) % 3;
    record.plotChoice = choice;
    record.paperX = paperX * 100;
    record.paperY = paperY * 100;
    record.areaX0 = 50;
    record.areaY0 = 50;
    record.areaX1 = record.paperX - 50;
    record.areaY1 = record.paperY - 50;
    record.plottedUnits = (mode >> 4) + 1;
    record.drawingUnits = (mode & 0x80) ? 1e-300 : 25.4;
    record.offsetX = -1.5;
    for (int row = 0; row < ACADHPGL_COLOURS; ++row) {
        record.colours[row] = {static_cast<std::int16_t>(row * 7),
                               static_cast<std::int16_t>(row % 9), static_cast<std::int16_t>(row)};
    }
    record.outputKind = ACADHPGL_WRITE_HPGL;
    record.outputFile = Sink();
    RenderACAD(&record);

    record.outputKind = ACADHPGL_DRAW_PREVIEW;
    record.deviceContext = Canvas();
    record.areaX0 = record.areaY0 = 1;
    record.areaX1 = record.areaY1 = 300;
    record.scaleMode = ACADHPGL_SCALE_FIT;
    record.previewFlag = 1;
    RenderACAD(&record);
    return 0;
}
