# Prints n distinct 9-letter lower-case words (default 10,000), one a line.
BEGIN {
  if (n == "") n = 10000
  srand(7); a = "abcdefghijklmnopqrstuvwxyz"
  for (i = 0; i < n; i++) {
    w = ""
    for (k = 0; k < 6; k++) w = w substr(a, int(rand() * 26) + 1, 1)
    x = i
    for (k = 0; k < 3; k++) { w = w substr(a, x % 26 + 1, 1); x = int(x / 26) }
    print w
  }
}
