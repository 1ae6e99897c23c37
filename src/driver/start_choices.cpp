// The start-up dialog: the platform's message box asks the choices a demo
// release offers before its show (full screen or window, classic or sharp,
// sound, loop). A box with buttons cannot hold check boxes, so each button
// but Play and Quit turns one choice over and the box comes again with the
// choices as they now stand. Nothing is remembered between runs.
#include <array>
#include <string>
#include <string_view>

#include "driver/driver.h"
#include "platform/video.h"

namespace vx {
namespace {

// One choice: an option of the command line, named as the box's text says
// it and as the button that turns it over is labelled.
struct StartToggle {
  bool DriverOptions::*option;
  std::string_view saidOff;
  std::string_view saidOn;
  std::string_view buttonOn;   // the label while the option is off
  std::string_view buttonOff;  // the label while it is on
};

constexpr StartToggle StartToggles[] = {
    {.option = &DriverOptions::window,
     .saidOff = "full screen",
     .saidOn = "in a window",
     .buttonOn = "Window",
     .buttonOff = "Full screen"},
    {.option = &DriverOptions::nativeResolution,
     .saidOff = "classic 320 x 200 pixels",
     .saidOn = "sharp, at the screen's own pixels",
     .buttonOn = "Sharp",
     .buttonOff = "Classic"},
    {.option = &DriverOptions::mute,
     .saidOff = "with sound",
     .saidOn = "without sound",
     .buttonOn = "No sound",
     .buttonOff = "Sound"},
    {.option = &DriverOptions::loop,
     .saidOff = "once",
     .saidOn = "in a loop until Escape",
     .buttonOn = "Loop",
     .buttonOff = "Once"},
};
constexpr std::size_t ToggleCount = std::size(StartToggles);

std::string ChoicesText(const DriverOptions& options) {
  std::string said;
  for (const StartToggle& toggle : StartToggles) {
    said += said.empty() ? "" : ", ";
    said += options.*toggle.option ? toggle.saidOn : toggle.saidOff;
  }
  said[0] = static_cast<char>(said[0] - 'a' + 'A');
  return "Two minutes of real-time 3D to its own music.\n\nIt plays: " + said +
         ".\n\nPlay starts it; each other button changes one choice.";
}

}  // namespace

bool AskStartChoices(DriverOptions& options) {
  for (;;) {
    std::array<std::string_view, ToggleCount + 2> buttons{};
    buttons.front() = "Play";
    for (std::size_t i = 0; i < ToggleCount; ++i) {
      const StartToggle& toggle = StartToggles[i];
      buttons[i + 1] = options.*toggle.option ? toggle.buttonOff : toggle.buttonOn;
    }
    buttons.back() = "Quit";
    const int pressed = AskInBox("VX-1", ChoicesText(options), buttons);
    // Without a box the show plays as it would have without the dialog.
    if (pressed == NoBoxShown || pressed == 0) return true;
    if (pressed == NoAnswer || pressed == static_cast<int>(buttons.size()) - 1) return false;
    bool& option = options.*StartToggles[static_cast<std::size_t>(pressed) - 1].option;
    option = !option;
  }
}

}  // namespace vx
