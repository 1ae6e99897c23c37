// The message texts of the display layer's result codes. The codes are those
// of DirectDraw 7 (0x8876xxxx, plus the COM codes it shares), so the set-up
// failures read the same whatever stands behind the display today.
#include <array>
#include <cstdint>

#include "platform/video.h"

namespace vx {
namespace {

struct ErrorRow {
  std::uint32_t code;
  const char* text;
};

// DirectDraw's own codes are 0x88760000 + n (its facility 0x876).
constexpr std::uint32_t Dd(std::uint32_t n) {
  return 0x88760000u + n;
}

// Sorted by code, so a binary search finds a row.
constexpr std::array<ErrorRow, 109> ErrorRows = {{
    {0x00000000u, "The request completed successfully."},
    {0x80004001u, "Action not supported."},
    {0x80004005u, "Generic failure."},
    {0x800401F0u,
     "An attempt was made to invoke an interface member of a DirectDraw object created by "
     "CoCreateInstance() before it was initialized."},
    {0x8007000Eu, "DirectDraw does not have enough memory to perform the operation."},
    {0x80070057u, "One or more of the parameters passed to the function are incorrect."},
    {Dd(5), "This object is already initialized."},
    {Dd(10), "This surface can not be attached to the requested surface."},
    {Dd(20), "This surface can not be detached from the requested surface."},
    {Dd(40), "Support is currently not available."},
    {Dd(55), "An exception was encountered while performing the requested operation."},
    {Dd(90), "Height of rectangle provided is not a multiple of reqd alignment."},
    {Dd(95), "Unable to match primary surface creation request with existing primary surface."},
    {Dd(100), "One or more of the caps bits passed to the callback are incorrect."},
    {Dd(110), "DirectDraw does not support the provided cliplist."},
    {Dd(120), "DirectDraw does not support the requested mode."},
    {Dd(130), "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},
    {Dd(145), "The pixel format was invalid as specified."},
    {Dd(150), "Rectangle provided was invalid."},
    {Dd(160), "Operation could not be carried out because one or more surfaces are locked."},
    {Dd(170), "There is no 3D present."},
    {Dd(180),
     "Operation could not be carried out because there is no alpha accleration hardware "
     "present or available."},
    {Dd(205), "No clip list available."},
    {Dd(210),
     "Operation could not be carried out because there is no color conversion hardware "
     "present or available."},
    {Dd(212),
     "Create function called without DirectDraw object method SetCooperativeLevel "
     "being called."},
    {Dd(215), "Surface doesn't currently have a color key."},
    {Dd(220),
     "Operation could not be carried out because there is no hardware support of the "
     "destination color key."},
    {Dd(225),
     "Operation requires the application to have exclusive mode but the application does "
     "not have exclusive mode."},
    {Dd(230), "Flipping visible surfaces is not supported."},
    {Dd(240), "There is no GDI present."},
    {Dd(250),
     "Operation could not be carried out because there is no hardware present or available."},
    {Dd(255), "Requested item was not found."},
    {Dd(260),
     "Operation could not be carried out because there is no overlay hardware present or "
     "available."},
    {Dd(270),
     "Operation could not be carried out because the source and destination rectangles are "
     "on the same surface and overlap each other."},
    {Dd(280),
     "Operation could not be carried out because there is no appropriate raster op hardware "
     "present or available."},
    {Dd(290),
     "Operation could not be carried out because there is no rotation hardware present or "
     "available."},
    {Dd(310),
     "Operation could not be carried out because there is no hardware support for "
     "stretching."},
    {Dd(316),
     "DirectDrawSurface is not in 4 bit color palette and the requested operation requires "
     "4 bit color palette."},
    {Dd(317),
     "DirectDrawSurface is not in 4 bit color index palette and the requested operation "
     "requires 4 bit color index palette."},
    {Dd(320),
     "DirectDraw Surface is not in 8 bit color mode and the requested operation requires 8 "
     "bit color."},
    {Dd(330),
     "Operation could not be carried out because there is no texture mapping hardware "
     "present or available."},
    {Dd(335),
     "Operation could not be carried out because there is no hardware support for vertical "
     "blank synchronized operations."},
    {Dd(340),
     "Operation could not be carried out because there is no hardware support for zbuffer "
     "blitting."},
    {Dd(350),
     "Overlay surfaces could not be z layered based on their BltOrder because the hardware "
     "does not support z layering of overlays."},
    {Dd(360), "The hardware needed for the requested operation has already been allocated."},
    {Dd(380), "DirectDraw does not have enough display memory to perform the operation."},
    {Dd(382), "The hardware does not support clipped overlays."},
    {Dd(384), "Can only have one color key active at one time for overlays."},
    {Dd(387),
     "Access to this palette is being refused because the palette is already locked by "
     "another thread."},
    {Dd(400), "No source color key specified for this operation."},
    {Dd(410), "This surface is already attached to the surface it is being attached to."},
    {Dd(420),
     "This surface is already a dependency of the surface it is being made a dependency of."},
    {Dd(430),
     "Access to this surface is being refused because the surface is already locked by "
     "another thread."},
    {Dd(440), "Access to surface refused because the surface is obscured."},
    {Dd(450),
     "Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it."},
    {Dd(460), "The requested surface is not attached."},
    {Dd(470), "Height requested by DirectDraw is too large."},
    {Dd(480),
     "Size requested by DirectDraw is too large. The individual height and width "
     "are OK."},
    {Dd(490), "Width requested by DirectDraw is too large."},
    {Dd(510), "FOURCC format requested is unsupported by DirectDraw."},
    {Dd(520), "Bitmask in the pixel format requested is unsupported by DirectDraw."},
    {Dd(521), "The specified stream contains invalid data."},
    {Dd(537), "Vertical blank is in progress."},
    {Dd(540),
     "Informs DirectDraw that the previous Blt which is transfering information to or from "
     "this Surface is incomplete."},
    {Dd(560), "Rectangle provided was not horizontally aligned on required boundary."},
    {Dd(561), "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    {Dd(562),
     "A DirectDraw object representing this driver has already been created for this "
     "process."},
    {Dd(563),
     "A hardware only DirectDraw object creation was attempted but the driver did not "
     "support any hardware."},
    {Dd(564), "This process already has created a primary surface."},
    {Dd(565), "Software emulation not available."},
    {Dd(566), "Region passed to Clipper::GetClipList is too small."},
    {Dd(567),
     "An attempt was made to set a cliplist for a clipper object that is already monitoring "
     "an hwnd."},
    {Dd(568), "No clipper object attached to surface object."},
    {Dd(569),
     "Clipper notification requires an HWND or no HWND has previously been set as the "
     "CooperativeLevel HWND."},
    {Dd(570),
     "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw "
     "from restoring state."},
    {Dd(571),
     "The CooperativeLevel HWND has already been set. It can not be reset while the process "
     "has surfaces or palettes created."},
    {Dd(572), "No palette object attached to this surface."},
    {Dd(573), "No hardware support for 16 or 256 color palettes."},
    {Dd(574),
     "If a clipper object is attached to the source surface passed into a BltFast "
     "call."},
    {Dd(575), "No blitter."},
    {Dd(576), "No DirectDraw ROP hardware."},
    {Dd(577), "Returned when GetOverlayPosition is called on a hidden overlay."},
    {Dd(578),
     "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never "
     "been called on to establish a destination."},
    {Dd(579),
     "Returned when the position of the overlay on the destination is no longer legal for "
     "that destination."},
    {Dd(580), "Returned when an overlay member is called for a non-overlay surface."},
    {Dd(581),
     "An attempt was made to set the cooperative level when it was already set to "
     "exclusive."},
    {Dd(582), "An attempt has been made to flip a surface that is not flippable."},
    {Dd(583), "Can't duplicate primary and 3D surfaces, or surfaces that are implicitly created."},
    {Dd(584),
     "Surface was not locked. An attempt to unlock a surface that was not locked at all, or "
     "by this process, has been attempted."},
    {Dd(585),
     "Windows can not create any more DCs, or a DC was requested for a palette-indexed "
     "surface when the surface had no palette and the display mode was not "
     "palette-indexed."},
    {Dd(586), "No DC was ever created for this surface."},
    {Dd(587), "This surface can not be restored because it was created in a different mode."},
    {Dd(588), "This surface can not be restored because it is an implicitly created surface."},
    {Dd(589), "The surface being used is not a palette-based surface."},
    {Dd(590), "The display is currently in an unsupported mode"},
    {Dd(591),
     "Operation could not be carried out because there is no mip-map texture mapping "
     "hardware present or available."},
    {Dd(592),
     "The requested action could not be performed because the surface was of the wrong "
     "type."},
    {Dd(600),
     "Device does not support optimized surfaces, therefore no video memory optimized "
     "surfaces."},
    {Dd(601), "Surface is an optimized surface, but has not yet been allocated any memory."},
    {Dd(602),
     "Attempt was made to create or set a device window without first setting the focus "
     "window."},
    {Dd(620),
     "A DC has already been returned for this surface. Only one DC can be retrieved per "
     "surface."},
    {Dd(630),
     "An attempt was made to allocate non-local video memory from a device that does not "
     "support non-local video memory."},
    {Dd(640), "The attempt to page lock a surface failed."},
    {Dd(660), "The attempt to page unlock a surface failed."},
    {Dd(680), "An attempt was made to page unlock a surface with no outstanding page locks."},
    {Dd(690), "There is more data available than the specified buffer size could hold."},
    {Dd(691), "The data has expired and is therefore no longer valid."},
    {Dd(695), "The video port is not active."},
    {Dd(699),
     "Surfaces created by one DirectDraw device cannot be used directly by another "
     "DirectDraw device."},
}};

constexpr bool RowsSorted() {
  for (std::size_t i = 1; i < ErrorRows.size(); ++i) {
    if (ErrorRows[i - 1].code >= ErrorRows[i].code) return false;
  }
  return true;
}
static_assert(RowsSorted(), "the error table must be sorted by code, without duplicates");

}  // namespace

std::string_view DirectDrawErrorText(std::uint32_t code) {
  std::size_t low = 0;
  std::size_t high = ErrorRows.size();
  while (low < high) {
    std::size_t middle = (low + high) / 2;
    if (ErrorRows[middle].code < code) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low < ErrorRows.size() && ErrorRows[low].code == code) return ErrorRows[low].text;
  return "Unrecognized Error";
}

}  // namespace vx
