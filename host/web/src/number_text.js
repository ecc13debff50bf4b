// The C library's number text from JavaScript's, for the page's module (number_text.cpp).
mergeInto(LibraryManager.library, {
  // printf's "%.15g" into `out` (32 bytes); returns its length. toExponential rounds a value
  // halfway between two 15-digit numbers up, printf to the even one: an exact halfway value
  // (checked in integers: 2a = M x 2^E against (2D - 1) x 10^(x - 14)) is moved down.
  brelund_g15: function (d, out) {
    const bits = new DataView(new ArrayBuffer(8));
    bits.setFloat64(0, d);
    const sign = bits.getUint8(0) >> 7 ? "-" : "";
    let text;
    if (d !== d) text = sign + "nan";
    else if (!isFinite(d)) text = sign + "inf";
    else if (d === 0) text = sign + "0";
    else {
      const a = Math.abs(d);
      const [m, e] = a.toExponential(14).split("e");
      const x = Number(e);
      const one = BigInt(1), two = BigInt(2), ten = BigInt(10);
      let digits = BigInt(m.replace(".", ""));
      if (digits & one) {
        bits.setFloat64(0, a);
        const high = bits.getUint32(0), low = bits.getUint32(4);
        const biased = high >>> 20;
        const M = (BigInt((high & 0xfffff) | (biased ? 0x100000 : 0)) << BigInt(32)) | BigInt(low);
        const E = (biased || 1) - 1075 + 1;
        const k = 14 - x;
        const pow = (b, n) => (n > 0 ? b ** BigInt(n) : one);
        if (M * pow(ten, k) * pow(two, E) === (two * digits - one) * pow(ten, -k) * pow(two, -E)) digits -= one;
      }
      const s = String(digits);
      // Every text below has a point, so trailing zeros are the fraction's.
      const strip = (t) => t.replace(/0+$/, "").replace(/\.$/, "");
      if (x < -4 || x >= 15)
        text = sign + strip(s[0] + "." + s.slice(1)) + "e" + (x < 0 ? "-" : "+") + String(Math.abs(x)).padStart(2, "0");
      else if (x < 0) text = sign + strip("0." + "0".repeat(-x - 1) + s);
      else text = sign + strip(s.slice(0, x + 1) + "." + s.slice(x + 1));
    }
    for (let i = 0; i < text.length; i++) HEAPU8[out + i] = text.charCodeAt(i);
    return text.length;
  },
  // strtod over `size` bytes of digits, signs, points and exponent letters; NaN when they do not
  // read as one number to their end. Number() reads the same texts (it refuses what strtod
  // reads only in part), rounds as strtod does, and gives infinity where strtod overflows.
  brelund_decimal: function (text, size) {
    let s = "";
    for (let i = 0; i < size; i++) s += String.fromCharCode(HEAPU8[text + i]);
    return /[0-9]/.test(s) ? Number(s) : NaN;
  },
});
