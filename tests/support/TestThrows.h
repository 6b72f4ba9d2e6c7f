// TestThrows: the check for the engine's way of failing, a thrown TAV_Exception pointer.
//
// expectThrown runs an action that must throw one with the given code and message; the
// exception is deleted either way, so refusals leave nothing for LeakSanitizer to report.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "sys/TAV_Exception.h"

namespace tavtest {

inline void expectThrown(int code, const std::string& message, const std::function<void()>& action)
{
    try {
        action();
        ADD_FAILURE() << "no exception; expected " << code << " \"" << message << "\"";
    } catch (TAV_Exception* e) {
        const std::unique_ptr<TAV_Exception> owned(e);
        EXPECT_EQ(code, e->getCode());
        EXPECT_EQ(message, e->getMessage());
    }
}

}  // namespace tavtest
