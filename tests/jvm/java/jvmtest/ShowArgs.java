package jvmtest;

// Prints the argument count, then each argument escaped.
public class ShowArgs {
    public static void main(String[] args) {
        System.out.println("argc=" + args.length);
        for (String arg : args)
            System.out.println("arg:" + Escaped.of(arg));
    }
}
