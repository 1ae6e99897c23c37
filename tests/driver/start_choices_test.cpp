// The start-up dialog through a scripted box: each press turns one choice
// over, Play keeps what the box showed last, Quit and closing end the run,
// and a platform without boxes plays as if there had been no dialog.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "platform/video.h"
#include "platform/video_backends.h"

namespace vx {
namespace {

// The box: the labels of the buttons to press, in turn; what it was shown.
struct Script {
  std::vector<std::string> presses;
  std::size_t next = 0;
  std::vector<std::string> texts;
  std::vector<std::vector<std::string>> buttons;
  bool noBox = false;
};
Script gScript;

int ScriptedAsk(std::string_view, std::string_view text,
                std::span<const std::string_view> buttons) {
  if (gScript.noBox) return NoBoxShown;
  gScript.texts.emplace_back(text);
  gScript.buttons.emplace_back(buttons.begin(), buttons.end());
  if (gScript.next == gScript.presses.size()) return NoAnswer;  // closed
  const std::string& press = gScript.presses[gScript.next++];
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] == press) return static_cast<int>(i);
  ADD_FAILURE() << "no button \"" << press << "\"";
  return NoAnswer;
}

const VideoRoutines ScriptedBox{.start = nullptr,
                                .present = nullptr,
                                .pump = nullptr,
                                .stop = nullptr,
                                .surface = nullptr,
                                .showBox = nullptr,
                                .ask = ScriptedAsk,
                                .resize = nullptr,
                                .nativeSize = nullptr};

class StartChoices : public testing::Test {
 protected:
  void SetUp() override {
    gScript = Script{};
    ConfigureVideo(VideoOptions{}, ScriptedBox);
  }
  void TearDown() override { ConfigureVideo(VideoOptions{}); }
};

TEST_F(StartChoices, EachPressTurnsOneChoiceAndPlayKeepsThem) {
  struct Case {
    std::vector<std::string> presses;
    bool plays;
    bool window, sharp, mute, loop;
  };
  const Case cases[] = {
      {.presses = {"Play"},
       .plays = true,
       .window = false,
       .sharp = false,
       .mute = false,
       .loop = false},
      {.presses = {"Window", "Sharp", "No sound", "Loop", "Play"},
       .plays = true,
       .window = true,
       .sharp = true,
       .mute = true,
       .loop = true},
      // Turned over twice, a choice is back as it was.
      {.presses = {"Window", "Full screen", "Sharp", "Play"},
       .plays = true,
       .window = false,
       .sharp = true,
       .mute = false,
       .loop = false},
      {.presses = {"No sound", "Sound", "Loop", "Once", "Play"},
       .plays = true,
       .window = false,
       .sharp = false,
       .mute = false,
       .loop = false},
      {.presses = {"Window", "Quit"},
       .plays = false,
       .window = true,
       .sharp = false,
       .mute = false,
       .loop = false},
      // Closed without a press: no show.
      {.presses = {"Loop"},
       .plays = false,
       .window = false,
       .sharp = false,
       .mute = false,
       .loop = true},
  };
  for (const Case& c : cases) {
    gScript = Script{};
    gScript.presses = c.presses;
    DriverOptions options;
    EXPECT_EQ(AskStartChoices(options), c.plays) << c.presses.front();
    EXPECT_EQ(options.window, c.window) << c.presses.front();
    EXPECT_EQ(options.nativeResolution, c.sharp) << c.presses.front();
    EXPECT_EQ(options.mute, c.mute) << c.presses.front();
    EXPECT_EQ(options.loop, c.loop) << c.presses.front();
    // The box came once a press (and once more for the close).
    EXPECT_EQ(gScript.texts.size(),
              c.presses.size() + (c.plays || c.presses.back() == "Quit" ? 0 : 1));
  }
}

// The text says what Play would start; Enter's button comes first and
// Escape's last.
TEST_F(StartChoices, TheBoxSaysTheChoicesAsTheyStand) {
  gScript = Script{};
  gScript.presses = {"Window", "No sound", "Play"};
  DriverOptions options;
  ASSERT_TRUE(AskStartChoices(options));
  ASSERT_EQ(gScript.texts.size(), 3u);
  EXPECT_NE(gScript.texts[0].find("Full screen, classic 320 x 200 pixels, with sound, once."),
            std::string::npos)
      << gScript.texts[0];
  EXPECT_NE(gScript.texts[2].find("In a window, classic 320 x 200 pixels, without sound, once."),
            std::string::npos)
      << gScript.texts[2];
  const std::vector<std::string> last = {"Play", "Full screen", "Sharp", "Sound", "Loop", "Quit"};
  EXPECT_EQ(gScript.buttons[2], last);
}

TEST_F(StartChoices, WithoutABoxTheShowPlaysAsGiven) {
  gScript = Script{};
  gScript.noBox = true;
  DriverOptions options;
  options.window = true;
  EXPECT_TRUE(AskStartChoices(options));
  EXPECT_TRUE(options.window);
  EXPECT_FALSE(options.mute);
}

}  // namespace
}  // namespace vx
