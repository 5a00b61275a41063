package probe;

public class NoMain {
    public static void run(String[] args) {
    }
}
