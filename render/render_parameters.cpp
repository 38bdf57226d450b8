#include "render/render_parameters.h"

#include <sys/mman.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/error_text.h"
#include "platform/file_io.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

template <typename T>
T Held(long long value) {
    return static_cast<T>(
        std::clamp<long long>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// A stored floating-point value; what is not a finite number counts as 0.
double Decimal(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    return end != copy.c_str() && std::isfinite(value) ? value : 0.0;
}

// The number after the letter (either case) in a custom paper size such as "X1169 Y826".
long long NumberAfter(std::string_view paperSize, char letter) {
    for (std::size_t i = 0; i < paperSize.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(paperSize[i])) == letter)
            return LeadingInteger(paperSize.substr(i + 1));
    }
    return 0;
}

}  // namespace

RenderParameters::RenderParameters() {
    std::memset(&record_, 0, sizeof record_);
}

Result<void> RenderParameters::SetDrawingPath(const std::string& path) {
    if (path.size() >= sizeof record_.drawingPath || path.find('\0') != std::string::npos) {
        return Fail(ErrorKind::Input,
                    FormatResourceString(rid::kDrawingPathTooLong,
                                         {std::to_string(sizeof record_.drawingPath - 1), path}));
    }
    std::memset(record_.drawingPath, 0, sizeof record_.drawingPath);
    std::memcpy(record_.drawingPath, path.data(), path.size());
    return Ok();
}

Result<void> RenderParameters::SetReferenceList(const ReferenceList& folders) {
    referenceList_ = UniqueFd();
    record_.referenceList = 0;
    if (folders.empty()) return Ok();
    std::string contents;
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        contents.append(folder.c_str());  // a folder name ends at its first zero byte
        contents.push_back('\0');
    }
    if (contents.empty()) return Ok();
    UniqueFd file(::memfd_create("kestrum-reference-folders", MFD_CLOEXEC));
    if (!file.valid() || !WriteAll(file.get(), contents)) {
        return Fail(ErrorKind::Library,
                    FormatResourceString(rid::kReferenceFoldersNotHanded, {ErrorText(errno)}));
    }
    record_.referenceList = file.get();
    referenceList_ = std::move(file);
    return Ok();
}

void ExportColourTable(const ColourTable& table, AcadRenderRecord& record) {
    for (std::size_t row = 0; row < table.size(); ++row) {
        record.colours[row].width = Held<std::int16_t>(LeadingInteger(table[row].width));
        record.colours[row].style = Held<std::int16_t>(LeadingInteger(table[row].style));
        record.colours[row].pen = Held<std::int16_t>(LeadingInteger(table[row].pen));
    }
}

Result<void> ExportRenderParameters(OptionState& state, RenderParameters& parameters) {
    state.autocad.Export(state.values.autocad);
    const AutoCadOptions& values = state.values.autocad;
    AcadRenderRecord& record = parameters.record();

    std::memset(record.reserved, 0, sizeof record.reserved);
    record.outputChoice = values.outputChoice == LoadResourceString(rid::kAcadOutputAlternateEntry);

    long long paperX = 0;
    long long paperY = 0;
    if (values.paperSize == LoadResourceString(rid::kAcadAreaExtentsEntry)) {
        record.paperMode = ACADHPGL_PAPER_EXTENTS;
    } else if (values.paperSize == LoadResourceString(rid::kAcadAreaLimitsEntry)) {
        record.paperMode = ACADHPGL_PAPER_LIMITS;
    } else {
        record.paperMode = ACADHPGL_PAPER_CUSTOM;
        paperX = NumberAfter(values.paperSize, 'X');
        paperY = NumberAfter(values.paperSize, 'Y');
        record.paperX = Held<std::int32_t>(paperX);
        record.paperY = Held<std::int32_t>(paperY);
    }
    record.plotChoice = Held<std::uint8_t>(LeadingInteger(values.plotChoice));

    const long long marginC = LeadingInteger(values.marginC);
    record.areaX0 = Held<std::int32_t>(LeadingInteger(values.marginB));
    record.areaY0 = Held<std::int32_t>(LeadingInteger(values.marginA));
    record.areaX1 = Held<std::int32_t>(paperX - marginC);
    record.areaY1 = Held<std::int32_t>(paperY - marginC);

    record.offsetX = -Decimal(values.offsetX);
    record.offsetY = Decimal(values.offsetY);

    if (values.plotScale == LoadResourceString(rid::kAcadExportFitText)) {
        record.scaleMode = ACADHPGL_SCALE_FIT;
        record.fitSubMode = values.areaChoice == LoadResourceString(rid::kAcadAreaLimitsEntry)
                                ? ACADHPGL_REGION_LIMITS
                                : ACADHPGL_REGION_EXTENTS;
    } else {
        record.scaleMode = ACADHPGL_SCALE_RATIO;
        const std::string_view scale = values.plotScale;
        const std::size_t colon = scale.find(':');
        record.plottedUnits = Decimal(scale.substr(0, colon));
        record.drawingUnits =
            colon == std::string_view::npos ? 0.0 : Decimal(scale.substr(colon + 1));
    }
    record.previewFlag = 0;
    ExportColourTable(state.values.colourTable, record);
    return parameters.SetReferenceList(state.references);
}

}  // namespace kestrum
