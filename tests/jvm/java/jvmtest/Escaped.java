package jvmtest;

final class Escaped {
    // Visible ASCII as it is, every other code point (and the backslash) as \\u{hex}, so that
    // no encoding of the output can blur what Java received.
    static String of(String text) {
        StringBuilder out = new StringBuilder();
        text.codePoints().forEach(c -> {
            if (c > 0x20 && c < 0x7f && c != '\\')
                out.append((char) c);
            else
                out.append("\\u{").append(Integer.toHexString(c)).append('}');
        });
        return out.toString();
    }
}
