package hello;

// The example application: shows what its generated executable handed over.
public class Hello {
    public static void main(String[] args) {
        System.out.println(System.getenv("HELLO_GREETING") + ", " + System.getProperty("hello.audience") + "!");
        System.out.println("Java " + System.getProperty("java.version") + " from " + System.getProperty("java.home"));
        System.out.println("Executable: " + System.getProperty("plm.app.path"));
        System.out.println(args.length + " argument(s):");
        for (int i = 0; i < args.length; i++)
            System.out.println("  [" + i + "] " + args[i]);
    }
}
