#pragma once
// The texts the customer sees, in the Big5 code page (950) of the systems the
// control serves: every text inside the control is 8-bit text in that code page.

namespace korvaden::texts {

extern const char kReaderMessage[];  // "讀卡機連線失敗，請確認讀卡機是否已安裝妥當!"
extern const char kCardConnectionMessage[];  // "晶片卡連線失敗，請檢查晶片卡是否已依正確方向插入讀卡機!"
extern const char kCardReadMessage[];  // "卡片資料讀取錯誤，請檢查讀卡機與晶片卡是否有問題。"
extern const char kNoAccountsMessage[];  // "卡片中無任何帳號資料!"
extern const char kWrongCardMessage[];  // "登入所使用的卡片與現行卡片不符，請插入正確的卡片"
extern const char kTransferCaption[];  // "DrommelWebATM"
extern const char kPromptHeading[];  // "啟動交易安全機制，請依下列步驟操作："
extern const char kPromptRemoveCard[];  // "請拔出晶片卡再插入"
extern const char kPromptInsertCard[];  // "請插入晶片卡"

}  // namespace korvaden::texts
