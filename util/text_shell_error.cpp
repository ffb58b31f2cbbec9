#include "util/text_shell_error.h"

namespace plimod {

std::wstring ShellExecuteErrorText(int code) {
  switch (code) {
    case 0:
    case 8: return L"メモリまたはリソースが足りません";
    case 2: return L"ファイルがありません";
    case 3: return L"パスがありません";
    case 5: return L"アクセスできません";
    case 11: return L"Windowsアプリケーションではありません";
    case 26: return L"アクセス違反が発生しました";
    case 27:
    case 31: return L"ファイルの関連付けがありません";
    case 28: return L"DDEタイムアウト";
    case 29: return L"DDE失敗";
    case 30: return L"DDE使用中";
    case 32: return L"DLLがありません";
    default: return L"";
  }
}

}  // namespace plimod
