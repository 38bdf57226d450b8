#pragma once

// External references: the drawings that blocks of a drawing stand for. A block with an
// external path, or one that is inserted but never defined, is looked up as a file: the path as
// the drawing gives it (relative to the drawing's own folder), then its file name in the
// drawing's folder and in each folder of the reference list. A name that is not a .dxf file
// (a referenced .dwg) is also tried with the .dxf extension, and a name that differs only in
// letter case is found too, since drawings made on Windows do not keep case.
//
// Each file is read once per render, however often it is referred to, and at most
// kMaxReferencedFiles are read. A reference that cannot be found or read is left out of the
// plot; it does not fail the render.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/drawing_walker.h"

namespace acadhpgl {

inline constexpr std::size_t kMaxReferencedFiles = 64;
inline constexpr std::size_t kMaxReferenceListBytes = 1024 * 1024;

class ReferenceDrawings final : public ReferenceSource {
  public:
    // `host` (read from `hostPath`) must outlive this object; a drawing that refers back to the
    // host file gets the host itself, so that the walker sees the cycle.
    ReferenceDrawings(const Drawing& host, const std::string& hostPath,
                      std::vector<std::string> searchFolders);

    const Drawing* Referenced(const Drawing& owner, std::uint32_t block) override;

    // Files read so far, whether or not they turned out to be drawings.
    std::size_t FilesRead() const { return filesRead_; }

  private:
    std::vector<std::string> Candidates(const Block& block, const std::string& folder) const;
    const Drawing* Load(const std::string& path);

    std::vector<std::string> searchFolders_;
    std::vector<std::unique_ptr<Drawing>> loaded_;
    std::map<std::string, const Drawing*> byPath_;  // nullptr: tried, not a readable drawing
    std::map<const Drawing*, std::string> folders_;
    std::map<std::pair<const Drawing*, std::uint32_t>, const Drawing*> resolved_;
    std::size_t filesRead_ = 0;
};

// The folders of a reference list: zero-terminated paths read from `fd` (0 or less: no list) at
// offset 0, at most kMaxReferenceListBytes. An unterminated last path is taken only when the
// file ends there, not when the size limit cut it. False when the descriptor cannot be read.
bool ReadReferenceList(int fd, std::vector<std::string>& folders, std::string& error);

}  // namespace acadhpgl
