// half-width katakana, yen and overline as UTF-8; escapes stand for bytes
<L [2]
  <J "ｱｲｳ ¥‾" 0xE0 "\\\x7E\x80">
  <J "｡ﾟ">
>
