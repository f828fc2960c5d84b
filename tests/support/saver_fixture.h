// Shared by the host and animation tests: a fresh process for every test (every headless area,
// the host, the animation and the settings back at their start), and stand-ins for the password
// components that record what the host asks of them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "animation/animation_proc.h"
#include "host/saver_main.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"
#include "support/scratch_folder.h"

namespace saver_test {

typedef std::vector<std::string> Calls;

template <typename Entry> FARPROC AsFarProc(Entry entry) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(entry));
}

inline HWND Handle(uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

// PASSWORD.CPL's verifier: answers `answer`, running `during` first as the component's nested
// message loop would.
struct Verifier {
    int answer = 0;
    int calls = 0;
    std::function<void(HWND)> during;
};
inline Verifier verifier;

inline BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    ++verifier.calls;
    if (verifier.during)
        verifier.during(window);
    return verifier.answer;
}

// The user's setting and the component, as a consumer platform with a password has them.
inline void ProvidePasswordVerifier(DWORD setting = 1) {
    headless::SetAnswer("RegQueryValueExA", ERROR_SUCCESS, setting);
    headless::RegisterModule("PASSWORD.CPL",
                             {{"VerifyScreenSavePwd", AsFarProc(VerifyScreenSavePwd)}});
}

// The platform's screen-saver-running flag as the host sets it.
inline std::string RunningFlag(UINT on) {
    return headless::CallText("SystemParametersInfoA", SPI_SETSCREENSAVERRUNNING, on, 0);
}

class SaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        ResetHost();
        ResetAnimation();
        ResetSettings();
        verifier = Verifier();
        // No settings file beside this path until a run saves one: every run uses the defaults.
        headless::SetCommandLine(program_.c_str());
    }
    void TearDown() override { verifier = Verifier(); }

    // Runs SaverMain with `tail`, with the command line's program path in front.
    int Run(const std::string &tail) {
        headless::SetCommandLine((program_ + " " + tail).c_str());
        return SaverMain(headless::ExecutableInstance(), tail.c_str());
    }

    // A settings file beside the program, in the scratch folder that the saver sees as its own.
    void WriteSettings(const std::string &text) {
        headless::SetCommandLine(program_.c_str());
        scratch_.WriteIni(text);
    }

    ScratchFolder scratch_;
    std::string program_ = scratch_.QuotedProgram();
};

} // namespace saver_test
