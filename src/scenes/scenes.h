#pragma once
// The ten scene modules of the show. Each loads its data once, draws its
// whole frame for any local time (ticks of 1/120 s) into the frame buffer,
// and frees its data at the end. Render depends on its arguments alone.
#include <cstdint>

namespace vx {

// Builds the radial-blur table, then loads logo, kinyit, libiko, blau, box,
// labda, effekt, kommun, evil, danke in that order.
void LoadAllScenes();
// Frees the table, then the modules in the same order.
void FreeAllScenes();

void RenderLogo(float t, std::uint32_t* fb);
void RenderKinyit(float t, std::uint32_t* fb, bool pictureChoice);
void RenderLibiko(float t, std::uint32_t* fb);
void RenderBlau(float t, std::uint32_t* fb, std::int16_t pictureIndex);
void RenderBox(float t, std::uint32_t* fb);
void RenderLabda(float t, std::uint32_t* fb);
void RenderEffekt(float t, std::uint32_t* fb);
void RenderKommun(float t, std::uint32_t* fb);
void RenderEvil(float t, std::uint32_t* fb);
void RenderDanke(float t, std::uint32_t* fb);

// The effect test loads and frees labda alone.
void LoadLabda();
void FreeLabda();

}  // namespace vx
