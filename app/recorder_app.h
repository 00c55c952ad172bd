// The program: runs Kovra's window once and ends when it closes.
#pragma once

#include "framework/win_app.h"

class CRecorderApp : public CWinApp {
  public:
    BOOL InitInstance() override;
};
