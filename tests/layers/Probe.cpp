// Compiled with one layer's include path and one header of another layer: the build of the
// layers must refuse headers that lie above the layer.
#include PROBE_HEADER

int main() {
  return 0;
}
