// box_texts.h - the texts of the condition dialog's and the closing report's message boxes, as the
// tests of every front end expect them byte for byte (Shift-JIS once compiled).
#pragma once

const char kPastData[] = "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。";
const char kCancelled[] = "\xA2減価償却\xA3の集計を中止します。";  // half-width brackets
const char kNoPath[] = "データ出力先が指定されていません。\n\n出力先を指定してください。";
const char kBadChars[] = "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
const char kBadDrive[] = "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
const char kNoFileName[] = "ファイル名が指定されていません。";
const char kNoFolder[] = "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
const char kCreateFailed[] = "フォルダの作成に失敗しました。\n\n出力先を再入力してください。";
const char kOverwrite[] = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";
const char kTooLong[] = "データの出力先が長すぎます。\n\n出力先を再入力してください。";
const char kOwnFile[] = "データの出力先に、連動プログラムが使用するファイルは指定できません。\n\n出力先を再入力してください。";
const char kNotAFile[] = "データの出力先は通常のファイルではありません。\n\n出力先を再入力してください。";
const char kFinishedWithLog[] = "減価償却情報の出力が一応終了しました。\n\nアプリケーションを終了します。";
