#include "render/renderer_binding.h"

#include <gtest/gtest.h>

#include "shell/resource_ids.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

// A renderer that does not load keeps the loader's reason for the front ends to show.
TEST(RendererBindingTest, KeepsWhyTheRendererDidNotLoad) {
    test::TempFolder folder;
    const auto notALibrary = folder / "libacadhpgl.so";
    std::ofstream(notALibrary) << "not a library";
    for (const std::string& path : {(folder / "missing.so").string(), notALibrary.string()}) {
        SCOPED_TRACE(path);
        const RendererBinding binding = RendererBinding::FromFile(path);
        EXPECT_FALSE(binding.available());
        ASSERT_TRUE(binding.loadError().has_value());
        EXPECT_EQ(binding.loadError()->kind, ErrorKind::Library);
        EXPECT_EQ(binding.loadError()->resource, rid::kRendererNotLoaded);
        EXPECT_NE(binding.loadError()->message.find(path), std::string::npos);
    }
    const RendererBinding loaded = RendererBinding::FromFile(KESTRUM_RENDERER_FILE);
    EXPECT_TRUE(loaded.available());
    EXPECT_FALSE(loaded.loadError().has_value());
}

}  // namespace
}  // namespace kestrum
