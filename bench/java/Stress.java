import java.util.ArrayList;
import java.util.List;

// Allocates on several non-daemon threads until a signal ends the process, so the signal
// arrives while the collector runs. main itself allocates for a while and then returns, so
// some signals come during main and some while the launcher waits for the other threads.
public class Stress {
    static final int THREADS = 4;

    public static void main(String[] args) throws Exception {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("hook ran")));
        for (int i = 0; i < THREADS; ++i)
            new Thread(Stress::allocate).start();
        System.out.println("started");
        System.out.flush();
        List<byte[]> kept = new ArrayList<>();
        long end = System.nanoTime() + 100_000_000L;
        while (System.nanoTime() < end)
            churn(kept);
    }

    static void allocate() {
        List<byte[]> kept = new ArrayList<>();
        for (;;)
            churn(kept);
    }

    // Keeps up to a few megabytes alive so that collections have work to do.
    static void churn(List<byte[]> kept) {
        kept.add(new byte[1024 + kept.size() % 4096]);
        if (kept.size() > 2000)
            kept.clear();
    }
}
