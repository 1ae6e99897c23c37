#pragma once
// The libjpeg error manager with a way back, for our JPEG encoders (this
// folder's writer and the content generator's keyed pictures): error_exit
// jumps to the encoder's set-up point instead of ending the process, and
// messages are dropped. The memory destination's buffer lives here too, in
// memory that libjpeg updates through a pointer, so it is still known after
// a jump.
//
//   jpeg_compress_struct info{};
//   JpegEncodeError error;
//   CatchJpegErrors(info, error);
//   if (setjmp(error.jump) == 0) { ... jpeg_mem_dest(&info, &error.output, &error.outputSize) ... }
//   jpeg_destroy_compress(&info);
//   std::free(error.output);

// jpeglib.h uses FILE and size_t without including their headers.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>

namespace vx {

struct JpegEncodeError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
};

// Makes error the error manager of info (before jpeg_create_compress).
void CatchJpegErrors(jpeg_compress_struct& info, JpegEncodeError& error);

}  // namespace vx
