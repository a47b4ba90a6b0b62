// data.pod: the container, the console's reading of it and the images it
// holds; a container that reads encodes back to a container with the same
// items.
#include "fuzz_support.h"
#include "host/console_data.h"
#include "host/pod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  std::vector<uint8_t> bytes(data, data + size);
  (void)host::pod_image_decode(bytes);
  std::optional<host::Pod> pod = host::pod_decode(bytes);
  if (!pod) return 0;
  (void)host::console_data_from_pod(*pod);
  std::optional<host::Pod> again = host::pod_decode(host::pod_encode(*pod));
  fuzz::check(again.has_value(), "an encoded container decodes");
  fuzz::check(again->items.size() == pod->items.size(), "same item count");
  for (size_t i = 0; i < pod->items.size(); ++i) {
    const host::PodItem& a = pod->items[i];
    const host::PodItem& b = again->items[i];
    fuzz::check(a.number == b.number && a.name == b.name && a.data == b.data, "same items");
  }
  return 0;
}
