<L // comment
  <F4 1.5e3 -0 inf nan nan(0x7FC00001)>
  <F8 1.5E-3 -inf 5e-324>
  <BOOLEAN TRUE F 0x02>
  <B 0x0A 31>
  <I8 -9223372036854775808>
  <U8 0xFFFFFFFFFFFFFFFF>
  <J[2] "ab">
  <L [0]>
>
