// The window's prompts carry the application's name; this test program stands in for Kovra.
#include "framework/win_app.h"

CWinApp theTestApp("Kovra");
