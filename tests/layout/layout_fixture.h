// The fixture the layout tests share: an engine attached to a data window.
#pragma once

#include <gtest/gtest.h>

#include "layout/fake_window.h"
#include "layout/layout.h"

namespace veltrano::testing {

class LayoutFixture : public ::testing::Test {
  protected:
    // Attaches once the test's controls are in the window.
    void Attach() { ASSERT_TRUE(layout.Attach(window.MakeHost())); }

    void Resize(int32_t width, int32_t height) {
        window.Resize(width, height);
        layout.Relayout();
    }

    FakeWindow window;
    CWndResizer layout;
};

}  // namespace veltrano::testing
