<L [2]
  <U4 1>
  <A "text">
>
