// Checks shared by the unit suites.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/error.h"
#include "runtime/form.h"

namespace testing_support {

// Runs `action` and gives the number of the runtime error it raised (0 when none).
template <typename Action>
std::int32_t errorNumberOf(Action action)
{
    try {
        action();
    } catch (const rt::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

// Every control of the window lies inside its client area, on whole pixels, and no two overlap.
inline void expectLayoutFits(const rt::FormDesc& desc)
{
    for (int v : {desc.clientWidth, desc.clientHeight})
        EXPECT_EQ(v % rt::kTwipsPerPixel, 0);
    for (const rt::ControlDesc& c : desc.controls) {
        SCOPED_TRACE(std::string(c.name));
        for (int v : {c.rect.left, c.rect.top, c.rect.width, c.rect.height})
            EXPECT_EQ(v % rt::kTwipsPerPixel, 0);
        EXPECT_GE(c.rect.left, 0);
        EXPECT_GE(c.rect.top, 0);
        EXPECT_LE(c.rect.left + c.rect.width, desc.clientWidth);
        EXPECT_LE(c.rect.top + c.rect.height, desc.clientHeight);
        for (const rt::ControlDesc& other : desc.controls) {
            if (&other == &c)
                continue;
            const bool apart = c.rect.left + c.rect.width <= other.rect.left ||
                               other.rect.left + other.rect.width <= c.rect.left ||
                               c.rect.top + c.rect.height <= other.rect.top ||
                               other.rect.top + other.rect.height <= c.rect.top;
            EXPECT_TRUE(apart) << "overlaps " << other.name;
        }
    }
}

}  // namespace testing_support
