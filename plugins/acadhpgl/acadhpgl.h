/*
 * The drawing renderer interface: how Kestrum asks a renderer library to recognise a drawing
 * and to render it, either as HP-GL/2 into an open file or as a small picture for a preview.
 *
 * Any shared library that exports the two functions below with C linkage can serve as the
 * renderer; Kestrum loads it with dlopen from its library folder (or from the file that the
 * environment variable KESTRUM_RENDERER names) and passes every call one parameter record.
 * This header is the whole contract: a third party can write a renderer from it alone.
 *
 * The record is 2408 bytes, little-endian, laid out exactly as the offsets in the comments
 * say. The caller sets every byte to zero before it fills the record, so unused bytes and
 * fields it does not fill read as zero. All calls come from one thread at a time.
 *
 * Handles. The three reference fields are 32-bit, so they hold file descriptors, never
 * pointers:
 *
 *   deviceContext (output kind 1): a descriptor of a file (usually an anonymous memory file)
 *     of at least ACADHPGL_BITMAP_BYTES bytes holding a one-bit ACADHPGL_BITMAP_WIDTH x
 *     ACADHPGL_BITMAP_HEIGHT bitmap: rows of ACADHPGL_BITMAP_ROW_BYTES bytes, top row first,
 *     the most significant bit leftmost, a set bit is ink. That is exactly the raster of a
 *     binary PBM image. The caller clears it to white (all zero) first; the renderer only
 *     sets bits, reading and writing the file with pread and pwrite at offset 0.
 *
 *   outputFile (output kind 2): a descriptor open for writing; the renderer writes the HP-GL/2
 *     text at the descriptor's current position and leaves it open. The caller closes it.
 *
 *   referenceList: 0 when there is none, else a descriptor of a file holding the folders in
 *     which referenced drawings are looked for, each path ended by a zero byte, in the order
 *     they are searched. The renderer reads it with pread from offset 0 (at most 1 MiB).
 *
 * Lengths. On paper (output kind 2) the area and the paper size are in hundredths of an inch
 * from the paper's lower-left corner, x to the right and y upward; the offsets are in inches.
 * In a preview (output kind 1) the area is in pixels, counted from 1 at the bitmap's top-left
 * corner, y downward; the drawing's own y axis still points up on the picture.
 */
#ifndef KESTRUM_ACADHPGL_H
#define KESTRUM_ACADHPGL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ACADHPGL_BITMAP_WIDTH 300
#define ACADHPGL_BITMAP_HEIGHT 300
#define ACADHPGL_BITMAP_ROW_BYTES ((ACADHPGL_BITMAP_WIDTH + 7) / 8)
#define ACADHPGL_BITMAP_BYTES (ACADHPGL_BITMAP_ROW_BYTES * ACADHPGL_BITMAP_HEIGHT)

#define ACADHPGL_COLOURS 256
#define ACADHPGL_TEXT_SIZE 260

/* outputKind */
#define ACADHPGL_DRAW_PREVIEW 1
#define ACADHPGL_WRITE_HPGL 2

/* scaleMode */
#define ACADHPGL_SCALE_FIT 0
#define ACADHPGL_SCALE_RATIO 1

/* fitSubMode: which part of the drawing is plotted (also in ratio mode) */
#define ACADHPGL_REGION_LIMITS 0  /* the drawing's limits; its extents when it has none */
#define ACADHPGL_REGION_EXTENTS 1 /* everything that is drawn */

/* paperMode */
#define ACADHPGL_PAPER_LIMITS 0  /* the paper follows the drawing (no paper size given) */
#define ACADHPGL_PAPER_EXTENTS 1 /* the same */
#define ACADHPGL_PAPER_CUSTOM 2  /* paperX x paperY */

/* One row of the colour table; row n - 1 is drawing colour n. */
typedef struct AcadColourRow {
    int16_t width; /* thousandths of a millimetre; 0 leaves the pen's own width */
    int16_t style; /* line style 0 (solid) to 8 */
    int16_t pen;   /* pen number; 0 or less draws with pen 1 */
} AcadColourRow;

typedef struct AcadRenderRecord {
    int32_t deviceContext;      /*    0: bitmap file descriptor (output kind 1) */
    int32_t areaX0;             /*    4 */
    int32_t areaY0;             /*    8 */
    int32_t areaX1;             /*   12 */
    int32_t areaY1;             /*   16 */
    int32_t paperX;             /*   20: hundredths of an inch, paper mode 2 */
    int32_t paperY;             /*   24 */
    uint8_t unused28[4];        /*   28 */
    uint8_t plotChoice;         /*   32 */
    uint8_t unused33;           /*   33 */
    int16_t fitSubMode;         /*   34 */
    int16_t scaleMode;          /*   36 */
    int16_t paperMode;          /*   38 */
    double plottedUnits;        /*   40: inches on paper ... */
    double drawingUnits;        /*   48: ... for this many drawing units (ratio mode) */
    double offsetX;             /*   56: inches, added after placing */
    double offsetY;             /*   64 */
    AcadColourRow colours[ACADHPGL_COLOURS]; /* 72 */
    int32_t outputChoice;       /* 1608: 0 or 1 */
    int32_t previewFlag;        /* 1612: 0 file output, 1 preview */
    char reserved[ACADHPGL_TEXT_SIZE];    /* 1616: zero-terminated, empty */
    int16_t outputKind;                   /* 1876 */
    char drawingPath[ACADHPGL_TEXT_SIZE]; /* 1878: zero-terminated */
    uint8_t unused2138[2];                /* 2138 */
    int32_t outputFile;                   /* 2140: descriptor (output kind 2) */
    uint8_t unused2144[260];              /* 2144 */
    int32_t referenceList;                /* 2404: descriptor, 0 for none */
} AcadRenderRecord;

/*
 * Nonzero when the renderer can render the drawing at record->drawingPath (1 for a drawing it
 * reads fully), 0 for anything else, including files it cannot open. Reads at most the start
 * of the file.
 */
int IsaACAD(AcadRenderRecord* record);

/*
 * Renders the drawing as the record says. Returns 0 when the drawing was rendered, nonzero
 * when it could not be (the file is not a drawing it reads, the output could not be written);
 * Kestrum does not act on the answer and sends whatever the output file holds.
 */
int RenderACAD(AcadRenderRecord* record);

typedef int (*AcadIsaFunction)(AcadRenderRecord*);
typedef int (*AcadRenderFunction)(AcadRenderRecord*);

#ifdef __cplusplus
}

#include <cstddef>

static_assert(sizeof(AcadColourRow) == 6);
static_assert(sizeof(AcadRenderRecord) == 2408);
static_assert(offsetof(AcadRenderRecord, deviceContext) == 0);
static_assert(offsetof(AcadRenderRecord, areaX0) == 4);
static_assert(offsetof(AcadRenderRecord, areaY0) == 8);
static_assert(offsetof(AcadRenderRecord, areaX1) == 12);
static_assert(offsetof(AcadRenderRecord, areaY1) == 16);
static_assert(offsetof(AcadRenderRecord, paperX) == 20);
static_assert(offsetof(AcadRenderRecord, paperY) == 24);
static_assert(offsetof(AcadRenderRecord, plotChoice) == 32);
static_assert(offsetof(AcadRenderRecord, fitSubMode) == 34);
static_assert(offsetof(AcadRenderRecord, scaleMode) == 36);
static_assert(offsetof(AcadRenderRecord, paperMode) == 38);
static_assert(offsetof(AcadRenderRecord, plottedUnits) == 40);
static_assert(offsetof(AcadRenderRecord, drawingUnits) == 48);
static_assert(offsetof(AcadRenderRecord, offsetX) == 56);
static_assert(offsetof(AcadRenderRecord, offsetY) == 64);
static_assert(offsetof(AcadRenderRecord, colours) == 72);
static_assert(offsetof(AcadRenderRecord, outputChoice) == 1608);
static_assert(offsetof(AcadRenderRecord, previewFlag) == 1612);
static_assert(offsetof(AcadRenderRecord, reserved) == 1616);
static_assert(offsetof(AcadRenderRecord, outputKind) == 1876);
static_assert(offsetof(AcadRenderRecord, drawingPath) == 1878);
static_assert(offsetof(AcadRenderRecord, outputFile) == 2140);
static_assert(offsetof(AcadRenderRecord, referenceList) == 2404);
#else
_Static_assert(sizeof(AcadRenderRecord) == 2408, "the record is 2408 bytes");
#endif

#endif /* KESTRUM_ACADHPGL_H */
