#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "placeholder", "Quorvel Vavad", MB_OK);
  return 0;
}
