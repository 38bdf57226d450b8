#pragma once

namespace kestrum {

// Copies the state of the option pages into the values the header blocks read. The option state
// implements it for the desktop program's pages; a composer whose values are already exported
// gets none.
class HeaderExports {
  public:
    virtual ~HeaderExports() = default;
    // The text stamp, job options, HP-GL, CalComp and raster pages, in that order.
    virtual void ExportForHeader() = 0;
};

}  // namespace kestrum
