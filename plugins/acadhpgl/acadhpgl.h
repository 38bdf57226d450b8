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
 *
 * The sections below say how Kestrum's own renderer reads the record; another renderer may
 * choose differently within the layout and the results that this header fixes.
 *
 * Placing. The region plotted is the drawing's limits (fit sub-mode 0, when the drawing has
 * usable limits) or else its extents: everything drawn, text by its estimated size. The plot
 * choice byte 0 to 3 turns the drawing 90 degrees counter-clockwise that many times before it
 * is placed; other values do not turn it.
 *   - Paper mode 2: the area is where the plot goes; an empty or inverted area means the whole
 *     paper. Fit (scale mode 0) scales the region uniformly to fill the area in its tighter
 *     direction, centred; ratio (scale mode 1) draws plottedUnits inches for every drawingUnits
 *     drawing units, the region's lower-left corner on the area's. Nothing is drawn outside the
 *     area (the HP-GL sets an input window), even when the offsets move the plot.
 *   - Paper modes 0 and 1 (and mode 2 without a paper size): the area is not used and the
 *     region's lower-left corner is the origin. Fit draws the drawing at its own size: one
 *     drawing unit per $INSUNITS length (inches, feet, millimetres, centimetres, metres; any
 *     other unit, or none, counts as millimetres); ratio scales as above.
 *   - A ratio that is not a positive finite number falls back to fit.
 *   - The offsets are added last. A preview ignores them and always fits the region into the
 *     area's pixels (cut down to the bitmap; empty or inverted means the whole bitmap).
 *
 * HP-GL/2 output. "IN;", the input window "IW x0,y0,x1,y1;" when there is an area, "PA;", the
 * drawing, then "PU;SP0;". Coordinates are integer plotter units (1016 per inch) from the
 * paper's lower-left corner. Drawing colour n uses row n - 1 of the colour table: "SPpen;"
 * (pen 0 or less is pen 1) when the pen changes, "PWwidth,pen;" in millimetres for a width
 * above 0, after each pen change and whenever the width changes (never with output choice 1,
 * for plotters with fixed pens), "LT;" for style 0 and "LTn;" for styles 1 to 8 when the style
 * changes (other styles are solid). Curves come out as chords at most about half a plotter unit
 * off. Text is "SIw,h;" (centimetres), "DIrun,rise;" and "LB...<ETX>" per line, plain ASCII:
 * control characters are dropped and every other character shows as '?'.
 *
 * External references. A block that names another drawing file, or that is inserted without
 * being defined, is looked for as a file: the path as given (relative to the drawing's folder),
 * then by its file name, also with a .dxf extension and in any letter case, in the drawing's
 * folder and in each folder of the reference list. A reference that cannot be found or read is
 * left out of the plot, and the render still succeeds.
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
    int32_t deviceContext; /*    0: bitmap file descriptor (output kind 1) */
    int32_t areaX0;        /*    4 */
    int32_t areaY0;        /*    8 */
    int32_t areaX1;        /*   12 */
    int32_t areaY1;        /*   16 */
    int32_t paperX;        /*   20: hundredths of an inch, paper mode 2 */
    int32_t paperY;        /*   24 */
    uint8_t unused28[4];   /*   28 */
    uint8_t plotChoice;    /*   32 */
    uint8_t unused33;      /*   33 */
    int16_t fitSubMode;    /*   34 */
    int16_t scaleMode;     /*   36 */
    int16_t paperMode;     /*   38 */
    double plottedUnits;   /*   40: inches on paper ... */
    double drawingUnits;   /*   48: ... for this many drawing units (ratio mode) */
    double offsetX;        /*   56: inches, added after placing */
    double offsetY;        /*   64 */
    AcadColourRow colours[ACADHPGL_COLOURS]; /* 72 */
    int32_t outputChoice;                    /* 1608: 0 or 1 */
    int32_t previewFlag;                     /* 1612: 0 file output, 1 preview */
    char reserved[ACADHPGL_TEXT_SIZE];       /* 1616: zero-terminated, empty */
    int16_t outputKind;                      /* 1876 */
    char drawingPath[ACADHPGL_TEXT_SIZE];    /* 1878: zero-terminated */
    uint8_t unused2138[2];                   /* 2138 */
    int32_t outputFile;                      /* 2140: descriptor (output kind 2) */
    uint8_t unused2144[260];                 /* 2144 */
    int32_t referenceList;                   /* 2404: descriptor, 0 for none */
} AcadRenderRecord;

/*
 * 1 when the file at record->drawingPath is a drawing the renderer reads (an ASCII or binary
 * DXF file, judged by its first bytes), 0 for anything else: other files, files it cannot open,
 * anything but a regular file, and a path without its terminating zero within the field.
 */
int IsaACAD(AcadRenderRecord* record);

/*
 * Renders the drawing as the record says. Returns 0 when the drawing was rendered, nonzero
 * when it could not be: the path or the output kind is not usable, the file is not a drawing
 * it reads, the bitmap descriptor is smaller than ACADHPGL_BITMAP_BYTES or cannot be read or
 * written, the HP-GL could not be written, or the drawing expands beyond what one render may
 * draw (blocks inserting each other many times over). In the last case the output may hold
 * what was drawn up to then, ended properly; in the others nothing is written, except that a
 * failed write leaves whatever was written before it. Kestrum takes a nonzero answer as a
 * failed render: it does not send that plot and shows no preview.
 */
int RenderACAD(AcadRenderRecord* record);

/*
 * Optional: a renderer may leave it out, and Kestrum still loads it. What the last IsaACAD or
 * RenderACAD call on this thread has to say, as zero-terminated UTF-8: why a render failed, or,
 * after a render that succeeded, what it left out of the plot (entity kinds and counts, one
 * sentence each). The empty text when there is nothing to say. The text stays valid until the
 * next call on the same thread; the caller never frees it.
 */
const char* AcadLastMessage(void);

/* A message after a successful render begins with this when nothing at all was plotted. */
#define ACADHPGL_EMPTY_PLOT_TEXT "The plot is empty"
/* The message of a render that failed because its output could not be written begins with
 * this, followed by ": " and the system's reason. */
#define ACADHPGL_WRITE_FAILED_TEXT "cannot write the plot"

typedef int (*AcadIsaFunction)(AcadRenderRecord*);
typedef int (*AcadRenderFunction)(AcadRenderRecord*);
typedef const char* (*AcadMessageFunction)(void);

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
