package jvmtest;

import java.nio.file.Files;
import java.nio.file.Paths;

// Registers a shutdown hook, starts args[1] threads that allocate without end, creates the
// file args[0] to say it is ready, and sleeps.
public class Sleeper {
    public static volatile Object sink;

    public static void main(String[] args) throws Exception {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("hook ran")));
        int allocators = args.length > 1 ? Integer.parseInt(args[1]) : 0;
        for (int i = 0; i < allocators; ++i) {
            Thread thread = new Thread(Sleeper::allocate);
            thread.setDaemon(true);
            thread.start();
        }
        Files.createFile(Paths.get(args[0]));
        Thread.sleep(120_000);
        System.out.println("slept");
    }

    private static void allocate() {
        for (long n = 0;; ++n)
            sink = new StringBuilder().append(n).append(new int[(int) (n % 1000)]).toString();
    }
}
