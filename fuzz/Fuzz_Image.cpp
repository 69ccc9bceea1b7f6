// Fuzzes the picture readers (bitmap, JPEG and PNG, chosen by the bytes).
#include "Fuzz_Support.h"
#include "Image_Files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TImage image;
  std::string why;
  if (Image_Decode(data, size, image, &why)) {
    if (image.width < 1 || image.height < 1 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
      __builtin_trap();
  } else if (!image.pixels.empty()) {
    __builtin_trap();
  }
  return 0;
}
