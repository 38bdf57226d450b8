#include "plugins/acadhpgl/dxf_reader.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "plugins/acadhpgl/dxf_compound.h"
#include "plugins/acadhpgl/dxf_entities.h"
#include "plugins/acadhpgl/dxf_fields.h"
#include "plugins/acadhpgl/dxf_multiline.h"
#include "plugins/acadhpgl/dxf_names.h"
#include "plugins/acadhpgl/dxf_pairs.h"

namespace acadhpgl {
namespace {

// The fewest bytes of a file that one model space entity is expected to take.
constexpr std::size_t kBytesPerEntity = 80;

// The entities of a block that was defined before under the same name, read and dropped.
constexpr std::uint32_t kDroppedBlock = kNoBlock - 1;
// Pairs kept of one attribute definition; real ones have a few dozen.
constexpr std::size_t kMaxKeptPairs = 256;

// A pair that outlives the bytes it was read from.
struct KeptPair {
    int code = 0;
    std::string text;
    double number = 0;
    bool decoded = false;
};

// An MLINE waiting for its style, and where its shapes go: model space or a block.
struct PendingMultiLine {
    MultiLine line;
    Entity entity;
    std::uint32_t owner = kNoBlock;
};

std::string HandleKey(std::string_view handle) {
    std::string key(handle);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

struct ReaderContext {
    LayerTable layers;
    BlockTable blocks;
    DxfTextDefaults textDefaults;
    std::map<std::string, std::uint64_t>* leftOut = nullptr;
    // Block record handles to block names, for the records that refer to a block by handle.
    std::unordered_map<std::string, std::string> blockRecords;
    // Attribute definitions by handle, for multileaders that fill them in.
    std::unordered_map<std::string, std::vector<KeptPair>> attributeDefinitions;
    MultiLineStyles multiLineStyles;
    std::vector<PendingMultiLine> multiLines;
};

// Turns a run of entity records into entities, including the two kinds that span several
// records: POLYLINE with its VERTEX records and an INSERT with its ATTRIB records, each run
// ended by SEQEND (or, in damaged files, by any other entity).
class EntityAssembler {
  public:
    EntityAssembler(ReaderContext& context, std::vector<Entity>& out, bool modelSpace)
        : context_(context), out_(out), modelSpace_(modelSpace) {}

    void Add(DxfFields& fields) {
        const std::string_view kind = fields.kind();
        if (inPolyline_) {
            if (kind == "VERTEX") {
                if (!dropPolyline_) polyline_.AddVertex(fields);
                return;
            }
            FinishPolyline();
            if (kind == "SEQEND") return;
        }
        if (inAttributes_) {
            if (kind == "ATTRIB") {
                Entity entity;
                if (!dropAttributes_ && Properties(fields, entity)) {
                    entity.ownerLayer = attributeOwner_;
                    Emit(fields, entity);
                }
                return;
            }
            inAttributes_ = false;
            if (kind == "SEQEND") return;
        }
        if (kind == "POLYLINE") {
            inPolyline_ = true;
            dropPolyline_ = !Properties(fields, polylineEntity_);
            polyline_.Start(fields);
            return;
        }
        if (kind == "VERTEX" || kind == "SEQEND" || kind == "ATTRIB") return;  // strays
        if (kind == "ATTDEF") {
            KeepAttributeDefinition(fields);
            return;
        }

        Entity entity;
        const bool keep = Properties(fields, entity);
        if (kind == "MLINE") {
            if (keep && owner_ != kDroppedBlock) {
                if (std::optional<MultiLine> line = ReadMultiLine(fields)) {
                    context_.multiLines.push_back({std::move(*line), entity, owner_});
                }
            }
            return;
        }
        if (kind == "INSERT" && fields.Has(66) && fields.Integer(66, 0) == 1) {
            // The attributes go with their insert: left out when it is.
            inAttributes_ = true;
            dropAttributes_ = !keep;
            attributeOwner_ = entity.layer;
        }
        if (keep) Emit(fields, entity);
    }

    // Where the entities go: model space (kNoBlock), a block, or nowhere (kDroppedBlock).
    void SetOwner(std::uint32_t owner) { owner_ = owner; }

    // Ends a run that the records did not end.
    void Finish() {
        if (inPolyline_) FinishPolyline();
        inAttributes_ = false;
    }

  private:
    // Layer and colour. False for entities that are not drawn: those of paper space (in the
    // model space list) and those marked invisible.
    bool Properties(DxfFields& fields, Entity& entity) {
        if (modelSpace_ && fields.Integer(67, 0) == 1) return false;
        if (fields.Integer(60, 0) == 1) return false;
        entity.layer = context_.layers.Resolve(fields.Text(8));
        const std::int64_t colour = fields.Integer(62, kColourByLayer);
        entity.colour = static_cast<std::int16_t>(
            (colour >= kColourByBlock && colour <= kColourByLayer) ? colour : kColourByLayer);
        return true;
    }

    void Emit(DxfFields& fields, Entity& entity) {
        if (IsCompoundKind(fields.kind())) {
            EmitCompound(fields, entity);
            return;
        }
        if (fields.kind() == "MTEXT") {
            for (Text& text : BuildMText(fields, context_.textDefaults)) {
                Entity part = entity;
                part.shape = std::move(text);
                out_.push_back(std::move(part));
            }
            return;
        }
        std::optional<Shape> shape = BuildShape(fields, context_.textDefaults);
        // A shape needs its shape file, which drawings do not carry: its point stands for it.
        const bool partly = fields.kind() == "SHAPE";
        const bool unplotted = !shape && !IsPlottedKind(fields.kind());
        if ((unplotted || partly) && context_.leftOut != nullptr) {
            ++(*context_.leftOut)[std::string(fields.kind())];
        }
        if (!shape) return;
        if (Insert* insert = std::get_if<Insert>(&*shape)) {
            insert->block = context_.blocks.Resolve(InsertedBlockName(fields));
        }
        entity.shape = std::move(*shape);
        out_.push_back(std::move(entity));
    }

    void EmitCompound(DxfFields& fields, const Entity& entity) {
        const std::string_view kind = fields.kind();
        // Pictures and underlays plot their frames only: the user hears that the rest is not.
        if ((kind == "IMAGE" || kind.ends_with("UNDERLAY")) && context_.leftOut != nullptr) {
            ++(*context_.leftOut)[std::string(kind)];
        }
        CompoundLinks links;
        links.block = [this](std::string_view handle) { return BlockOfRecord(handle); };
        links.attribute = [this](std::string_view handle, std::string_view value) {
            return AttributeText(handle, value);
        };
        for (Shape& shape : BuildShapes(fields, context_.textDefaults, &links)) {
            if (!ShapeIsFinite(shape)) continue;
            Entity part = entity;
            part.shape = std::move(shape);
            part.wipeoutFrame = kind == "WIPEOUT";
            out_.push_back(std::move(part));
        }
    }

    std::optional<std::pair<std::uint32_t, Point>> BlockOfRecord(std::string_view handle) {
        const auto found = context_.blockRecords.find(HandleKey(handle));
        if (found == context_.blockRecords.end()) return std::nullopt;
        const std::uint32_t block = context_.blocks.Resolve(found->second);
        return std::pair{block, context_.blocks[block].base};
    }

    void KeepAttributeDefinition(DxfFields& fields) {
        if (!fields.Has(5) || fields.pairs().size() > kMaxKeptPairs) return;
        std::vector<KeptPair> kept;
        for (const DxfPair& pair : fields.pairs()) {
            kept.push_back({pair.code, std::string(pair.text), pair.number, pair.decoded});
        }
        context_.attributeDefinitions[HandleKey(fields.Text(5))] = std::move(kept);
    }

    // The definition read again as an attribute that holds `value`, so that it is placed and
    // aligned for the value's own length.
    std::optional<Text> AttributeText(std::string_view handle, std::string_view value) {
        const auto found = context_.attributeDefinitions.find(HandleKey(handle));
        if (found == context_.attributeDefinitions.end()) return std::nullopt;
        DxfFields fields;
        fields.Reset("ATTRIB");
        bool valued = false;
        for (const KeptPair& kept : found->second) {
            DxfPair pair{kept.text, kept.number, kept.code, kept.decoded};
            if (kept.code == 1) {
                pair.text = value;
                valued = true;
            }
            fields.Add(pair);
        }
        if (!valued) fields.Add(DxfPair{value, 0, 1, false});
        std::optional<Shape> shape = BuildShape(fields, context_.textDefaults);
        if (!shape || !std::holds_alternative<Text>(*shape)) return std::nullopt;
        return std::get<Text>(*shape);
    }

    void FinishPolyline() {
        inPolyline_ = false;
        std::vector<Shape> shapes = polyline_.Finish();
        if (!dropPolyline_) {
            for (Shape& shape : shapes) {
                Entity entity = polylineEntity_;
                entity.shape = std::move(shape);
                out_.push_back(std::move(entity));
            }
        }
        polylineEntity_ = Entity{};
    }

    ReaderContext& context_;
    std::vector<Entity>& out_;
    const bool modelSpace_;
    PolylineAssembler polyline_;
    Entity polylineEntity_;
    bool inPolyline_ = false;
    bool dropPolyline_ = false;
    bool inAttributes_ = false;
    bool dropAttributes_ = false;
    std::uint32_t attributeOwner_ = kNoLayer;
    std::uint32_t owner_ = kNoBlock;
};

class DocumentReader {
  public:
    DocumentReader(std::string_view bytes, Drawing& drawing)
        : pairs_(bytes), drawing_(drawing), context_{LayerTable(drawing.layers),
                                                     BlockTable(drawing.blocks),
                                                     {},
                                                     &drawing.leftOut,
                                                     {},
                                                     {},
                                                     {},
                                                     {}} {}

    bool Read(std::string& error) {
        if (!Advance()) return Fail(error);
        if (!have_) {
            error = "the file holds no drawing";
            return false;
        }
        if (pair_.code != 0 || pair_.text != "SECTION") {
            error = pairs_.Where() + ": not a DXF drawing (it does not begin with a section)";
            return false;
        }
        for (;;) {
            if (!have_) {
                // Every section ended: only the marker is missing, and nothing with it.
                drawing_.warnings.push_back("the drawing's end-of-file marker is missing after " +
                                            pairs_.Where() + "; it was read up to there");
                FinishMultiLines();
                return true;
            }
            if (pair_.code == 0 && pair_.text == "EOF") {
                FinishMultiLines();
                return true;
            }
            if (pair_.code == 0 && pair_.text == "SECTION") {
                if (!Advance()) return Fail(error);
                std::string_view name;
                if (have_ && pair_.code == 2) {
                    name = pair_.text;
                    if (!Advance()) return Fail(error);
                }
                if (!ReadSection(name)) return Fail(error);
                continue;
            }
            if (!Advance()) return Fail(error);  // a stray pair between sections
        }
    }

  private:
    // Multilines are drawn once every style of the file is known.
    void FinishMultiLines() {
        for (PendingMultiLine& pending : context_.multiLines) {
            const MultiLine& line = pending.line;
            const MultiLineStyle* style =
                context_.multiLineStyles.Find(line.styleHandle, line.styleName);
            std::vector<Entity>& out = pending.owner == kNoBlock
                                           ? drawing_.entities
                                           : context_.blocks[pending.owner].entities;
            for (ColouredShape& part : MultiLineShapes(line, style)) {
                if (!ShapeIsFinite(part.shape)) continue;
                Entity entity = pending.entity;
                if (part.colour) entity.colour = static_cast<std::int16_t>(*part.colour);
                entity.shape = std::move(part.shape);
                out.push_back(std::move(entity));
            }
        }
        context_.multiLines.clear();
    }

    bool Fail(std::string& error) {
        error = error_;
        return false;
    }

    // Moves to the next pair that is not a comment. False when the file is damaged there;
    // at the end of the bytes have_ becomes false.
    bool Advance() {
        for (;;) {
            const DxfStep step = pairs_.Next(pair_, error_);
            if (step == DxfStep::Damaged) return false;
            have_ = step == DxfStep::Pair;
            if (!have_ || pair_.code != 999) return true;
        }
    }

    bool AtSectionEnd() const {
        return pair_.code == 0 &&
               (pair_.text == "ENDSEC" || pair_.text == "EOF" || pair_.text == "SECTION");
    }

    // The record that starts at the current pair (group 0): its pairs up to the next group 0.
    bool ReadRecord() {
        fields_.Reset(pair_.text);
        for (;;) {
            if (!Advance()) return false;
            if (!have_ || pair_.code == 0) return true;
            fields_.Add(pair_);
        }
    }

    bool ReadSection(std::string_view name) {
        bool read = true;
        if (name == "HEADER") {
            read = ReadHeader();
        } else if (name == "TABLES") {
            read = ReadRecords([this] { ReadTableRecord(); });
        } else if (name == "BLOCKS") {
            read = ReadBlocks();
        } else if (name == "ENTITIES") {
            // Growing the list by doubling would touch twice its final memory and copy it
            // over and over. Real entities take well over kBytesPerEntity bytes of the file,
            // so this is room enough for most drawings, and never more than the file explains;
            // pages reserved and not used are never touched.
            if (drawing_.entities.empty()) {
                drawing_.entities.reserve(pairs_.remaining() / kBytesPerEntity);
            }
            EntityAssembler assembler(context_, drawing_.entities, true);
            read = ReadRecords([&] { assembler.Add(fields_); });
            assembler.Finish();
        } else if (name == "OBJECTS") {
            read = ReadRecords([this] {
                if (fields_.kind() == "WIPEOUTVARIABLES") {
                    drawing_.wipeoutFrames = fields_.Integer(70, 0) != 0;
                }
                if (fields_.kind() == "MLINESTYLE") context_.multiLineStyles.Define(fields_);
            });
        } else {
            read = ReadRecords([] {});  // classes, the thumbnail and the unknown
        }
        if (!read) return false;
        if (!have_) {
            error_ = "the drawing is cut off after " + pairs_.Where() + " in its " +
                     std::string(name.empty() ? "unnamed" : name) + " section";
            return false;
        }
        if (pair_.text == "ENDSEC") return Advance();
        return true;  // an EOF or the next SECTION ends a section that forgot its ENDSEC
    }

    template <typename Handle>
    bool ReadRecords(Handle handle) {
        while (have_ && !AtSectionEnd()) {
            if (pair_.code != 0) {  // pairs outside any record
                if (!Advance()) return false;
                continue;
            }
            if (!ReadRecord()) return false;
            handle();
        }
        return true;
    }

    bool ReadHeader() {
        std::string_view variable;
        std::optional<double> limits[4];  // min x, min y, max x, max y
        while (have_ && !AtSectionEnd()) {
            if (pair_.code == 9) {
                variable = pair_.text;
            } else if (variable == "$LIMMIN" || variable == "$LIMMAX") {
                const int slot = (variable == "$LIMMAX" ? 2 : 0) + (pair_.code == 20 ? 1 : 0);
                const std::optional<double> value = pair_.Real();
                if ((pair_.code == 10 || pair_.code == 20) && value && std::isfinite(*value)) {
                    limits[slot] = value;
                }
            } else if (variable == "$INSUNITS" && pair_.code == 70) {
                const std::optional<std::int64_t> units = pair_.Integer();
                if (units && *units >= 0 && *units <= 24) {
                    drawing_.insertionUnits = static_cast<int>(*units);
                }
            } else if (variable == "$TEXTSIZE" && pair_.code == 40) {
                const std::optional<double> size = pair_.Real();
                if (size && std::isfinite(*size) && *size > 0) context_.textDefaults.height = *size;
            } else if (variable == "$DWGCODEPAGE" && pair_.code == 3) {
                // Pages without a table here keep the Western one, as before they were read.
                if (const std::optional<CodePage> page = CodePageNamed(pair_.text)) {
                    context_.textDefaults.codePage = *page;
                }
            }
            if (!Advance()) return false;
        }
        if (limits[0] && limits[1] && limits[2] && limits[3] && *limits[2] > *limits[0] &&
            *limits[3] > *limits[1]) {
            drawing_.limits = Box{{*limits[0], *limits[1]}, {*limits[2], *limits[3]}};
        }
        return true;
    }

    void ReadTableRecord() {
        if (fields_.kind() == "BLOCK_RECORD") {
            if (fields_.Has(5) && !fields_.Text(2).empty()) {
                context_.blockRecords[HandleKey(fields_.Text(5))] = std::string(fields_.Text(2));
            }
            return;
        }
        if (fields_.kind() != "LAYER") return;  // other tables do not change the picture
        const std::string_view name = fields_.Text(2);
        if (name.empty()) return;
        const std::int64_t colour = fields_.Integer(62, kDefaultLayerColour);
        const std::int64_t flags = fields_.Integer(70, 0);
        context_.layers.Define(name, colour, flags, fields_.Integer(290, 1) != 0);
    }

    bool ReadBlocks() {
        std::vector<Entity> entities;
        EntityAssembler assembler(context_, entities, false);
        std::optional<std::uint32_t> open;  // the block being read, unless it is dropped
        bool inBlock = false;
        auto close = [&] {
            assembler.Finish();
            if (inBlock && open) context_.blocks[*open].entities = std::move(entities);
            entities.clear();
            inBlock = false;
            open.reset();
        };
        const bool read = ReadRecords([&] {
            const std::string_view kind = fields_.kind();
            if (kind == "BLOCK") {
                close();
                inBlock = true;
                assembler.SetOwner(kDroppedBlock);
                std::string_view name = fields_.Text(2);
                if (name.empty()) name = fields_.Text(3);
                if (name.empty()) return;
                open = context_.blocks.Define(name);
                if (!open) return;
                assembler.SetOwner(*open);
                Block& block = context_.blocks[*open];
                const Point base{fields_.Real(10, 0), fields_.Real(20, 0)};
                if (std::isfinite(base.x) && std::isfinite(base.y)) block.base = base;
                if ((fields_.Integer(70, 0) & 4) != 0) block.externalPath = fields_.Text(1);
            } else if (kind == "ENDBLK") {
                close();
            } else if (inBlock) {
                assembler.Add(fields_);
            }
        });
        close();
        return read;
    }

    DxfPairReader pairs_;
    DxfPair pair_;
    bool have_ = false;
    std::string error_;
    Drawing& drawing_;
    ReaderContext context_;
    DxfFields fields_;
};

// Memory for a file's bytes: anonymous pages, populated in one go. Read rather than mapped: a
// mapped file that another program shortens while it is read kills the whole process with
// SIGBUS, a read one only ends early. Populating up front spares a page fault per 4 KiB, which
// on virtual machines costs more than reading the file.
class FileBuffer {
  public:
    FileBuffer() = default;
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;
    ~FileBuffer() {
        if (data_ != nullptr) ::munmap(data_, capacity_);
    }

    // Room for `size` bytes, keeping those already read. False when memory is short.
    bool Reserve(std::size_t size) {
        if (size <= capacity_) return true;
        void* grown = data_ == nullptr ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0)
                                       : ::mremap(data_, capacity_, size, MREMAP_MAYMOVE);
        if (grown == MAP_FAILED) return false;
        data_ = static_cast<char*>(grown);
        capacity_ = size;
        return true;
    }

    char* data() const { return data_; }
    std::size_t capacity() const { return capacity_; }

  private:
    char* data_ = nullptr;
    std::size_t capacity_ = 0;
};

// Reads what the descriptor holds, up to `limit` bytes; `expected` is a regular file's size.
bool ReadAll(int fd, std::size_t expected, std::size_t limit, FileBuffer& buffer,
             std::size_t& filled, std::string& error) {
    filled = 0;
    for (;;) {
        if (filled == buffer.capacity()) {
            if (filled > limit) {
                error = "the file is larger than 1 GiB, the most a drawing may have";
                return false;
            }
            // A regular file that grew while it is read is read as far as it was measured.
            if (filled > 0 && filled == expected) return true;
            const std::size_t wanted = filled == 0 ? std::max<std::size_t>(expected, 64 * 1024)
                                                   : std::min<std::size_t>(filled * 2, limit + 1);
            if (!buffer.Reserve(wanted)) {
                error = "there is not enough memory to read the file";
                return false;
            }
        }
        const ssize_t got = ::read(fd, buffer.data() + filled, buffer.capacity() - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            return false;
        }
        if (got == 0) return true;
        filled += static_cast<std::size_t>(got);
    }
}

}  // namespace

DrawingFormat SniffDrawing(std::string_view head) {
    head = head.substr(0, kSniffBytes);
    if (head.starts_with(kBinaryDxfSentinel)) return DrawingFormat::BinaryDxf;
    // Only the first pairs count, comments aside; the reader's own tokeniser decides what a
    // pair is, so that what the sniffer accepts the reader can begin to read.
    DxfPairReader pairs(head);
    if (pairs.binary()) return DrawingFormat::NotDrawing;
    DxfPair pair;
    std::string ignored;
    for (;;) {
        if (pairs.Next(pair, ignored) != DxfStep::Pair) return DrawingFormat::NotDrawing;
        if (pair.code == 999) continue;
        return (pair.code == 0 && pair.text == "SECTION") ? DrawingFormat::AsciiDxf
                                                          : DrawingFormat::NotDrawing;
    }
}

bool ReadDxf(std::string_view bytes, Drawing& drawing, std::string& error) {
    drawing = Drawing{};
    try {
        DocumentReader reader(bytes, drawing);
        if (reader.Read(error)) return true;
    } catch (const std::bad_alloc&) {
        error = "there is not enough memory to read the drawing";
    }
    drawing = Drawing{};
    drawing.layers.push_back(Layer{"0"});
    return false;
}

bool ReadDxfFile(const std::string& path, Drawing& drawing, std::string& error) {
    drawing = Drawing{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        error = path + ": is a folder, not a drawing";
        ::close(fd);
        return false;
    }
    const bool regular = S_ISREG(status.st_mode);
    if (regular && static_cast<std::uint64_t>(status.st_size) > kMaxDrawingBytes) {
        error = path + ": the file is larger than 1 GiB, the most a drawing may have";
        ::close(fd);
        return false;
    }
    FileBuffer buffer;
    std::size_t filled = 0;
    const bool read = ReadAll(fd, regular ? static_cast<std::size_t>(status.st_size) : 0,
                              kMaxDrawingBytes, buffer, filled, error);
    ::close(fd);
    if (!read) {
        error = path + ": " + error;
        return false;
    }
    const std::string_view bytes(buffer.data(), filled);
    if (ReadDxf(bytes, drawing, error)) return true;
    error = path + ": " + error;
    return false;
}

}  // namespace acadhpgl
