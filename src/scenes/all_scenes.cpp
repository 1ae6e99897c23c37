// Loading and freeing of every scene module, in the show's fixed order.
#include <iterator>

#include "fx2d/fx2d.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

struct Module {
  void (*load)();
  void (*free)();
};

// The order of loading and of freeing alike.
constexpr Module Modules[] = {
    {LoadLogo, FreeLogo},     {LoadKinyit, FreeKinyit}, {LoadLibiko, FreeLibiko},
    {LoadBlau, FreeBlau},     {LoadBox, FreeBox},       {LoadLabda, FreeLabda},
    {LoadEffekt, FreeEffekt}, {LoadKommun, FreeKommun}, {LoadEvil, FreeEvil},
    {LoadDanke, FreeDanke},
};
static_assert(std::size(Modules) == 10);

}  // namespace

void LoadAllScenes() {
  BuildRadialTable();
  for (const Module& m : Modules) m.load();
}

void FreeAllScenes() {
  FreeRadialTable();
  for (const Module& m : Modules) m.free();
}

}  // namespace vx
