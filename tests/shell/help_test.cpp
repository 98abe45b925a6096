#include <iconv.h>

#include <string>

#include "commands/help_text.h"
#include "support/target_fixture.h"

namespace {

// The help text as the user reads it, written here independently of the
// escaped byte tables the program prints.
const char* const kHelpText =
    "********************************************************************\n"
    " コマンド一覧 \n"
    " DB   [address [size]]     : メモリダンプ(バイト単位) \n"
    " DW   [address [size]]     : メモリダンプ(ワード単位) \n"
    " DL   [address [size]]     : メモリダンプ(ロングワード単位) \n"
    " WB   [address [data]]     : メモリ書き込み(バイト単位) \n"
    " WW   [address [data]]     : メモリ書き込み(ワード単位) \n"
    " WL   [address [data]]     : メモリ書き込み(ロングワード単位) \n"
    " DA   [address [line]]     : 逆アセンブル \n"
    " R    [register [value]]   : レジスタダンプ、書き換え \n"
    " G                         : PCから実行 \n"
    " S    [step]               : PCからstep命令分ステップ実行 \n"
    " BS   [No.] [address]      : ブレークポイントセット \n"
    " BC   [No.]                : ブレークポイント解除 \n"
    " FE                        : ユーザーFlash-ROM領域の消去 \n"
    " FW   [source destination] : 128バイトのデータをFlash-ROMに書き込む \n"
    " LO   [file-name]          : プログラムを読み込む(*.ABS) \n"
    " Q                         : 終了 \n"
    " USR                       : ユーザープログラム優先実行フラグを書く \n"
    " HELP/H                    : ヘルプ \n"
    "\n"
    " 起動時オプション:\n"
    "   -m filename             : マップファイルからシンボルを読み込む \n"
    "   -c comx                 : COMポート指定 ex. -c com3\n"
    "   -s speed                : 通信速度指定  ex. -s 19200\n"
    "********************************************************************\n";

std::string toShiftJis(std::string in)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(in.size() * 2, '\0');
    char *src = in.data(), *dst = out.data();
    size_t srcLeft = in.size(), dstLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

using Help = TargetTest;

TEST_F(Help, TextByteForByteInBothEncodings)
{
    setHelpEncoding(HelpEncoding::Utf8);
    showHelp();
    setHelpEncoding(HelpEncoding::ShiftJis);
    showHelp();
    setHelpEncoding(HelpEncoding::Unset);
    const std::string sjis = toShiftJis(kHelpText);
    EXPECT_EQ(output(), kHelpText + sjis);
}

}  // namespace
