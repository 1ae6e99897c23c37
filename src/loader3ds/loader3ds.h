#pragma once
// Reads a 3DS scene file, whole, from the data library (or from memory) into
// the loaded-scene records of the scene model (model/model.h), and frees
// them again.
// Errors are kept in a sticky last-error code: once set, loads and frees fail
// at once until TakeLoadError is called.
//
// Damaged files: every value is read through a bounds check. A chunk header
// or value past the end of the file, a chunk length under 6, a count larger
// than the bytes left, a data chunk outside its record (a vertex list with no
// object), chunks nested more than 32 deep, more than 65535 records of a kind,
// or a face naming a vertex at or beyond its object's vertex count (checked
// after the walk) fail with LoadFatal and a LoadErrorDetail text; fewer bytes
// than a chunk header after the last whole top-level chunk are ignored. A length
// that runs past its parent is trusted up to the parent's end; 0x4130 face
// indices and 0x4140 coordinates beyond their arrays are ignored. After
// LoadNot3ds or LoadFatal, mesh still receives the records built so far, with
// their pointer tables, for Free3DSData (after TakeLoadError).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/model.h"

namespace vx {

enum LoadError : std::uint32_t {
  LoadOk = 0,
  LoadEmptyName = 1,      // "Filename is empty!"
  LoadCantOpen = 2,       // "Can't open .3DS file!"
  LoadCantRead = 3,       // "Can't read .3DS file!"
  LoadNoMemory = 4,       // "Not enough memory available to load .3DS file!"
  LoadNot3ds = 5,         // "Not a 3DS file or corrupted file!"
  LoadFatal = 6,          // "Fatal error in .3DS file!"
  LoadCantFree = 7,       // "Can't free up 3DS structure!"
};

// Loads the file stored in the data library under name. True when no error
// is pending afterwards; mesh receives whatever was built (also after a
// damaged file, so that it can be freed).
bool Load3DSFile(Mesh3D*& mesh, std::string_view name);
// The same from bytes in memory (tools, tests and the fuzz target); an empty
// buffer is LoadCantRead, like a file the library does not hold.
bool Load3DSMemory(Mesh3D*& mesh, const std::uint8_t* data, std::size_t size);
// Frees every record; the pointer becomes null.
bool Free3DSData(Mesh3D*& mesh);
// The last-error code; resets it to 0.
std::uint32_t TakeLoadError();
std::string_view LoadErrorText(std::uint32_t code);
// A readable account of the last damage found ("chunk 0x4110 at offset 1234
// runs past the end of the file"), for tools; empty when there is none.
std::string LoadErrorDetail();

}  // namespace vx
