package probe;

public class Thrower {
    public static void main(String[] args) {
        System.out.println("before the throw");
        throw new IllegalStateException("boom from main");
    }
}
